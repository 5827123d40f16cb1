// The stores behind CBenchEngine. Each is used the way its documentation
// recommends for bulk work of this durability class: prepared statements and
// explicit transactions for SQLite, one write transaction per batch and one
// read transaction per read phase for LMDB.
#include "bench_engines.h"

#include <lmdb.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "catalog/index_database.h"

namespace {

uint32_t g_cacheKiB = 2000;

uint64_t SizeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

DbBuffer In(const std::string& s) {
    return DbBuffer::In(s.data(), static_cast<uint32_t>(s.size()));
}

// ---- our engine ----
class COurEngine : public CBenchEngine {
public:
    const char* Name() const override { return "ours"; }
    bool Open(const std::string& path, bool bigValues) override {
        std::remove(path.c_str());
        return OpenAs(path, bigValues, kDbCreate) && m_index->SetKeyType(kKeyTypeBytes);
    }
    bool Reopen(const std::string& path, bool bigValues) override {
        return OpenAs(path, bigValues, kDbOpenExisting);
    }
    bool Begin() override { return true; }
    bool Commit() override { return m_db.Flush(); }
    bool BeginRead() override { return true; }
    bool EndRead() override { return true; }
    bool Put(const std::string& key, const std::string& value) override {
        return m_index->Put(In(key), In(value));
    }
    int64_t Get(const std::string& key, uint8_t* out, uint32_t capacity) override {
        DbBuffer v = DbBuffer::Out(out, capacity);
        return m_index->Get(In(key), &v) ? static_cast<int64_t>(v.length) : -1;
    }
    bool Erase(const std::string& key) override { return m_index->EraseKey(In(key)); }
    uint64_t Scan(uint64_t* bytes) override {
        static uint8_t key[256], value[32768];
        uint64_t n = 0;
        CBTreeCursor* c = m_index->NewCursor(false);
        for (bool ok = c->First(); ok; ok = c->Next()) {
            DbBuffer k = DbBuffer::Out(key, sizeof key), v = DbBuffer::Out(value, sizeof value);
            if (!c->GetKeyValue(&k, &v))
                break;
            *bytes += k.length + v.length + key[0] + value[0];
            ++n;
        }
        m_index->ReleaseCursor(c);
        return n;
    }
    bool Close() override {
        m_db.ReleaseIndex(m_index);
        m_index = nullptr;
        return m_db.Close();
    }
    uint64_t FileBytes(const std::string& path) const override { return SizeOf(path); }

private:
    bool OpenAs(const std::string& path, bool bigValues, int mode) {
        m_db.SetCacheBytes(g_cacheKiB * 1024, 0xFFFFFFFFu);
        if (!m_db.Open(path.c_str(), mode))
            return false;
        m_index = m_db.OpenIndex("Bench", 0, false, 0, bigValues, true);
        return m_index != nullptr;
    }
    CIndexDatabase m_db;
    CBTreeIndex* m_index = nullptr;
};

// ---- SQLite ----
class CSqliteEngine : public CBenchEngine {
public:
    explicit CSqliteEngine(bool journal) : m_journal(journal) {}
    const char* Name() const override { return m_journal ? "sqlite" : "sqlite-nj"; }
    bool Open(const std::string& path, bool) override {
        std::remove(path.c_str());
        std::remove((path + "-journal").c_str());
        return OpenAs(path, true);
    }
    bool Reopen(const std::string& path, bool) override { return OpenAs(path, false); }
    bool OpenAs(const std::string& path, bool create) {
        if (sqlite3_open(path.c_str(), &m_db) != SQLITE_OK)
            return false;
        std::string pragma = "PRAGMA cache_size=-" + std::to_string(g_cacheKiB);
        if (!Exec(pragma.c_str()) || !Exec("PRAGMA page_size=8192"))
            return false;
        if (!(m_journal ? Exec("PRAGMA journal_mode=DELETE") && Exec("PRAGMA synchronous=FULL")
                        : Exec("PRAGMA journal_mode=OFF") && Exec("PRAGMA synchronous=OFF")))
            return false;
        return (!create || Exec("CREATE TABLE t(k BLOB PRIMARY KEY, v BLOB) WITHOUT ROWID")) &&
               Prepare("INSERT OR REPLACE INTO t(k, v) VALUES(?, ?)", &m_put) &&
               Prepare("SELECT v FROM t WHERE k = ?", &m_get) &&
               Prepare("DELETE FROM t WHERE k = ?", &m_erase) &&
               Prepare("SELECT k, v FROM t ORDER BY k", &m_scan);
    }
    bool Begin() override { return Exec("BEGIN"); }
    bool Commit() override { return Exec("COMMIT"); }
    bool Put(const std::string& key, const std::string& value) override {
        sqlite3_bind_blob(m_put, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        sqlite3_bind_blob(m_put, 2, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
        bool ok = sqlite3_step(m_put) == SQLITE_DONE;
        sqlite3_reset(m_put);
        return ok;
    }
    int64_t Get(const std::string& key, uint8_t* out, uint32_t capacity) override {
        sqlite3_bind_blob(m_get, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        int64_t n = -1;
        if (sqlite3_step(m_get) == SQLITE_ROW) {
            const void* v = sqlite3_column_blob(m_get, 0);
            n = sqlite3_column_bytes(m_get, 0);
            std::memcpy(out, v, static_cast<size_t>(n) < capacity ? n : capacity);
        }
        sqlite3_reset(m_get);
        return n;
    }
    bool Erase(const std::string& key) override {
        sqlite3_bind_blob(m_erase, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        bool ok = sqlite3_step(m_erase) == SQLITE_DONE && sqlite3_changes(m_db) == 1;
        sqlite3_reset(m_erase);
        return ok;
    }
    uint64_t Scan(uint64_t* bytes) override {
        uint64_t n = 0;
        while (sqlite3_step(m_scan) == SQLITE_ROW) {
            const uint8_t* k = static_cast<const uint8_t*>(sqlite3_column_blob(m_scan, 0));
            int kn = sqlite3_column_bytes(m_scan, 0);
            const uint8_t* v = static_cast<const uint8_t*>(sqlite3_column_blob(m_scan, 1));
            int vn = sqlite3_column_bytes(m_scan, 1);
            *bytes += kn + vn + (kn ? k[0] : 0) + (vn ? v[0] : 0);
            ++n;
        }
        sqlite3_reset(m_scan);
        return n;
    }
    bool Close() override {
        for (sqlite3_stmt* s : {m_put, m_get, m_erase, m_scan})
            sqlite3_finalize(s);
        m_put = m_get = m_erase = m_scan = nullptr;
        bool ok = sqlite3_close(m_db) == SQLITE_OK;
        m_db = nullptr;
        return ok;
    }
    uint64_t FileBytes(const std::string& path) const override { return SizeOf(path); }

private:
    bool m_journal;
    bool Exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == 0; }
    bool Prepare(const char* sql, sqlite3_stmt** s) {
        return sqlite3_prepare_v2(m_db, sql, -1, s, nullptr) == SQLITE_OK;
    }
    sqlite3* m_db = nullptr;
    sqlite3_stmt *m_put = nullptr, *m_get = nullptr, *m_erase = nullptr, *m_scan = nullptr;
};

// ---- LMDB ----
class CLmdbEngine : public CBenchEngine {
public:
    const char* Name() const override { return "lmdb"; }
    bool Open(const std::string& path, bool big) override {
        std::remove(path.c_str());
        std::remove((path + "-lock").c_str());
        return Reopen(path, big);
    }
    bool Reopen(const std::string& path, bool) override {
        return mdb_env_create(&m_env) == 0 && mdb_env_set_mapsize(m_env, 8ull << 30) == 0 &&
               mdb_env_open(m_env, path.c_str(), MDB_NOSUBDIR, 0644) == 0 && Begin() &&
               mdb_dbi_open(m_txn, nullptr, 0, &m_dbi) == 0 && Commit();
    }
    bool Begin() override { return mdb_txn_begin(m_env, nullptr, 0, &m_txn) == 0; }
    bool Commit() override {
        int rc = mdb_txn_commit(m_txn);
        m_txn = nullptr;
        return rc == 0;
    }
    bool Put(const std::string& key, const std::string& value) override {
        MDB_val k{key.size(), const_cast<char*>(key.data())};
        MDB_val v{value.size(), const_cast<char*>(value.data())};
        return mdb_put(m_txn, m_dbi, &k, &v, 0) == 0;
    }
    bool BeginRead() override { return mdb_txn_begin(m_env, nullptr, MDB_RDONLY, &m_txn) == 0; }
    bool EndRead() override {
        mdb_txn_abort(m_txn);
        m_txn = nullptr;
        return true;
    }
    int64_t Get(const std::string& key, uint8_t* out, uint32_t capacity) override {
        MDB_val k{key.size(), const_cast<char*>(key.data())}, v;
        if (mdb_get(m_txn, m_dbi, &k, &v) != 0)
            return -1;
        std::memcpy(out, v.mv_data, v.mv_size < capacity ? v.mv_size : capacity);
        return static_cast<int64_t>(v.mv_size);
    }
    bool Erase(const std::string& key) override {
        MDB_val k{key.size(), const_cast<char*>(key.data())};
        return mdb_del(m_txn, m_dbi, &k, nullptr) == 0;
    }
    uint64_t Scan(uint64_t* bytes) override {
        MDB_cursor* c;
        uint64_t n = 0;
        MDB_val k, v;
        if (mdb_cursor_open(m_txn, m_dbi, &c) != 0)
            return 0;
        for (int rc = mdb_cursor_get(c, &k, &v, MDB_FIRST); rc == 0;
             rc = mdb_cursor_get(c, &k, &v, MDB_NEXT)) {
            const uint8_t* kp = static_cast<const uint8_t*>(k.mv_data);
            const uint8_t* vp = static_cast<const uint8_t*>(v.mv_data);
            *bytes += k.mv_size + v.mv_size + (k.mv_size ? kp[0] : 0) + (v.mv_size ? vp[0] : 0);
            ++n;
        }
        mdb_cursor_close(c);
        return n;
    }
    bool Close() override {
        mdb_env_close(m_env);
        m_env = nullptr;
        return true;
    }
    uint64_t FileBytes(const std::string& path) const override {
        return SizeOf(path) + SizeOf(path + "-lock");
    }

private:
    MDB_env* m_env = nullptr;
    MDB_txn* m_txn = nullptr;
    MDB_dbi m_dbi = 0;
};

} // namespace

std::unique_ptr<CBenchEngine> MakeOurEngine() {
    return std::unique_ptr<CBenchEngine>(new COurEngine());
}
std::unique_ptr<CBenchEngine> MakeSqliteEngine() {
    return std::unique_ptr<CBenchEngine>(new CSqliteEngine(true));
}
std::unique_ptr<CBenchEngine> MakeSqliteNoJournalEngine() {
    return std::unique_ptr<CBenchEngine>(new CSqliteEngine(false));
}
void SetCacheKiB(uint32_t kib) {
    g_cacheKiB = kib;
}
std::unique_ptr<CBenchEngine> MakeLmdbEngine() {
    return std::unique_ptr<CBenchEngine>(new CLmdbEngine());
}
