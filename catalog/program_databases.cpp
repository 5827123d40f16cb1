#include "catalog/program_databases.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "imaging/byte_stream.h"
#include "imaging/win32_file.h"

const char kProgramCaption[] = "Velmorantix XP";
const char kFailureCaption[] = "Failed!";
const char kMainDatabaseFile[] = "VelmorantixXP.tdb";
const char kThumbnailDatabaseFile[] = "Thumbnail.tdb";
const char kThumbnailLockFile[] = "Thumbnail.lock";

namespace {

const char kTag[] = "Velmorantix.VelmorantixXP";
constexpr uint32_t kTagLength = 25;

std::string Format(const char* format, const std::string& path) {
    std::string out(std::strlen(format) + path.size() + 1, '\0');
    int n = std::snprintf(&out[0], out.size(), format, path.c_str());
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

bool SameTextIgnoringCase(const uint8_t* a, const char* b, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i)
        if (std::tolower(a[i]) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

bool IProgramDbHost::FileExists(const std::string& path) {
    plat::PathInfo info;
    return plat::QueryPath(path.c_str(), &info) && info.exists;
}

bool IProgramDbHost::RemoveFile(const std::string& path) {
    return plat::RemoveFile(path.c_str());
}

std::string JoinPath(const std::string& folder, const char* name) {
#ifdef _WIN32
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    std::string out = folder;
    if (!out.empty() && out.back() != '\\' && out.back() != '/')
        out += separator;
    return out + name;
}

CProgramDatabases::~CProgramDatabases() {
    CloseThumbnailDatabase();
    CloseMainDatabase();
}

bool CProgramDatabases::WriteTag(CIndexDatabase& db, uint32_t version) {
    CByteStream tag;
    return tag.Write(kTag, kTagLength) == kTagLength && tag.WriteUInt32LE(version) &&
           db.WriteUserData(&tag);
}

bool CProgramDatabases::CheckTag(CIndexDatabase& db, uint32_t* version) {
    CByteStream tag;
    if (!db.ReadUserData(&tag) || tag.size < kTagLength ||
        !SameTextIgnoringCase(tag.buffer, kTag, kTagLength))
        return false;
    // As many version bytes as there are, into a zeroed value.
    uint8_t raw[4] = {0, 0, 0, 0};
    uint32_t n = tag.size - kTagLength;
    std::memcpy(raw, tag.buffer + kTagLength, n < 4 ? n : 4);
    *version = LoadU32(raw);
    return *version <= kSchemaVersion;
}

int CProgramDatabases::OpenAtStartup() {
    const std::string mainPath = JoinPath(m_host.DataFolder(), kMainDatabaseFile);
    if (!OpenMainDatabase(mainPath)) {
        m_host.ShowMessage(
            Format("Load database failed!  Database file %s maybe corrupted\n", mainPath),
            kFailureCaption, kMsgIconError);
        return 1;
    }
    if (!OpenThumbnailDatabase(false)) {
        m_host.ShowMessage(
            Format("Load thumbnail database failed!  Database file %s maybe corrupted\n",
                   thumbnailPath),
            kFailureCaption, kMsgIconError);
        return 1;
    }
    return 0;
}

bool CProgramDatabases::OpenMainDatabase(const std::string& path) {
    // Mode 1 only: a main database that can't be opened is kept as it is.
    if (!m_main.Open(path.c_str(), kDbOpenOrCreate))
        return false;
    const bool isNew = m_main.IsNewFile();
    bool ok;
    if (isNew) {
        mainVersion = kSchemaVersion;
        ok = WriteTag(m_main, mainVersion);
    } else {
        ok = CheckTag(m_main, &mainVersion);
        if (!ok) {
            m_main.CloseWithoutWriting(); // not ours, or newer: leave it untouched
            return false;
        }
    }
    if (ok)
        ok = (collections = m_main.OpenKeySet("Collections", 0, false, true)) != nullptr;
    if (ok) {
        favorites = m_main.OpenIndex("Favorites", 4, false, 0, true, true);
        ok = favorites && favorites->SetKeyType(kKeyTypeSigned);
    }
    if (ok && isNew)
        ok = m_host.StoreFavoritesRoot(m_main, favorites);
    if (ok) {
        folderSymbol = m_main.OpenIndex("FolderSymbol", 4, false, 0, mainVersion < 2, true);
        ok = folderSymbol && folderSymbol->SetKeyType(kKeyTypeSigned);
    }
    if (ok)
        ok = (imageProperties = m_main.OpenIndex("ImageProperties", 0, false, 0, true, true)) !=
             nullptr;
    if (!ok) {
        if (isNew) {
            CloseMainDatabase();
        } else {
            // An existing file that can't be used is left exactly as it was.
            collections = favorites = folderSymbol = imageProperties = nullptr;
            m_main.CloseWithoutWriting();
        }
    }
    return ok;
}

bool CProgramDatabases::OpenThumbnailDatabase(bool recreate) {
    const std::string folder = m_host.DataFolder();
    thumbnailPath = JoinPath(folder, kThumbnailDatabaseFile);
    lockPath = JoinPath(folder, kThumbnailLockFile);
    // A lock file left behind: the last run ended with unflushed thumbnails.
    // It stays until the next successful flush removes it.
    if (!recreate && m_host.FileExists(lockPath))
        recreate = true;
    return LoadThumbnailDatabase(recreate, thumbnailPath);
}

bool CProgramDatabases::LoadThumbnailDatabase(bool recreate, const std::string& path) {
    plat::ScopedLock lock(m_thumbLock);
    // The thumbnail cache may be thrown away: a file that can't be opened is
    // replaced by an empty one.
    if (!m_thumbs.Open(path.c_str(), recreate ? kDbCreate : kDbOpenOrCreate) &&
        !m_thumbs.Open(path.c_str(), kDbCreate))
        return false;
    bool ok;
    if (m_thumbs.IsNewFile()) {
        thumbnailVersion = kSchemaVersion;
        ok = WriteTag(m_thumbs, thumbnailVersion);
    } else {
        ok = CheckTag(m_thumbs, &thumbnailVersion);
    }
    if (ok) {
        thumbnail = m_thumbs.OpenIndex("Thumbnail", 0, false, 0, true, true);
        ok = thumbnail && thumbnail->SetKeyType(kKeyTypeBytes);
    }
    if (!ok) {
        if (thumbnail)
            m_thumbs.ReleaseIndex(thumbnail);
        thumbnail = nullptr;
        m_thumbs.CloseWithoutWriting();
    }
    return ok;
}

bool CProgramDatabases::CreateThumbnailLockFile() {
    plat::ScopedLock lock(m_thumbLock);
    CWin32File file;
    if (!file.Open(lockPath.c_str(), kFileOpenOrCreate))
        return false;
    file.Close();
    return true;
}

bool CProgramDatabases::RemoveThumbnailLockFile() {
    plat::ScopedLock lock(m_thumbLock);
    // Deleting the lock after a failed flush would hide a damaged cache from
    // the next start.
    if (!m_thumbs.Flush(false))
        return false;
    return m_host.RemoveFile(lockPath);
}

bool CProgramDatabases::FlushThumbnailDatabase() {
    plat::ScopedLock lock(m_thumbLock);
    return m_thumbs.Flush(false);
}

void CProgramDatabases::CloseThumbnailDatabase() {
    plat::ScopedLock lock(m_thumbLock);
    if (thumbnail) {
        m_thumbs.ReleaseIndex(thumbnail);
        thumbnail = nullptr;
    }
    m_thumbs.Close();
}

void CProgramDatabases::ResetThumbnailDatabase() {
    m_host.PauseThumbnailWorker();
    CloseThumbnailDatabase();
    OpenThumbnailDatabase(true);
    m_host.WakeThumbnailWorker();
}

void CProgramDatabases::ReleaseMainIndexes() {
    for (CBTreeIndex** index : {&collections, &favorites, &folderSymbol, &imageProperties}) {
        if (*index)
            m_main.ReleaseIndex(*index);
        *index = nullptr;
    }
}

void CProgramDatabases::CloseMainDatabase() {
    ReleaseMainIndexes();
    m_main.Close();
}

void DeleteThumbnailDatabase(IProgramDbHost& host, bool ask) {
    const std::string path = JoinPath(host.DataFolder(), kThumbnailDatabaseFile);
    if (!ask) {
        host.RemoveFile(path);
        return;
    }
    if (!host.FileExists(path)) {
        host.ShowMessage("Thumbnail database does not exists.", kProgramCaption, kMsgIconWarning);
        return;
    }
    std::string question =
        Format("Are you sure you want to delete the thumbnail database at '%s'?\n\nPlease make "
               "sure Velmorantix XP and the tray icon is not running before clicking 'Yes'.",
               path);
    if (host.ShowMessage(question, kProgramCaption, kMsgYesNo | kMsgIconWarning) != kMsgAnswerYes)
        return;
    if (host.RemoveFile(path))
        host.ShowMessage("Thumbnail database has been deleted.", kProgramCaption, kMsgOk);
    else
        host.ShowMessage("Cannot delete the thumbnail database.", kProgramCaption, kMsgIconError);
}
