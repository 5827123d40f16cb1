// Writer process of the crash-safety run: opens (or creates) a database,
// continues the step sequence of crash_records.h after the last acknowledged
// step, flushes after every step and acknowledges each flushed step. It is
// meant to be killed at a random moment; it never cleans up.
//
//   crash_writer DB ACK [STEPS]   (STEPS: stop after this many steps; 0 = no end)
//
// Exit codes: 0 all steps done, 2 usage, 3 the database did not open, 4 an
// index did not open, 5 a change was refused, 6 a flush failed, 7 the
// acknowledgement could not be written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalog/index_database.h"
#include "crash_records.h"

namespace {

uint32_t LastAcknowledged(const char* path) {
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return 0;
    struct stat st;
    uint32_t last = 0;
    if (fstat(fd, &st) == 0 && st.st_size >= 4) {
        uint8_t raw[4];
        off_t at = (st.st_size / 4 - 1) * 4;
        if (pread(fd, raw, 4, at) == 4)
            last = LoadU32(raw);
    }
    close(fd);
    return last;
}

DbBuffer In(const std::string& s) {
    return DbBuffer::In(s.data(), static_cast<uint32_t>(s.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const uint32_t steps = argc > 3 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 0;
    const uint32_t done = LastAcknowledged(argv[2]);
    int ack = open(argv[2], O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (ack < 0)
        return 7;

    CIndexDatabase db;
    if (!db.Open(argv[1], kDbOpenOrCreate))
        return 3;
    CBTreeIndex* props = db.OpenIndex(crashrec::kPropsIndex, 0, false, 0, true, true);
    CBTreeIndex* thumbs = db.OpenIndex(crashrec::kThumbIndex, 0, false, 0, true, true);
    CBTreeIndex* symbols = db.OpenIndex(crashrec::kSymbolIndex, 4, false, 0, false, true);
    if (!props || !thumbs || !symbols || !symbols->SetKeyType(kKeyTypeSigned))
        return 4;
    if (!db.Flush())
        return 6;

    for (uint32_t n = done + 1; steps == 0 || n <= done + steps; ++n) {
        const std::string key = crashrec::PropsKey(n);
        const char* refused = nullptr;
        if (!props->Put(In(key), In(crashrec::PropsValue(n))))
            refused = crashrec::kPropsIndex;
        else if (crashrec::HasThumb(n) && !thumbs->Put(In(key), In(crashrec::ThumbValue(n))))
            refused = crashrec::kThumbIndex;
        else if (!symbols->PutInt(static_cast<int32_t>(n), In(crashrec::SymbolValue(n))))
            refused = crashrec::kSymbolIndex;
        if (refused) {
            std::fprintf(stderr, "step %u: put into %s refused\n", n, refused);
            return 5;
        }
        if (uint32_t gone = crashrec::ErasedAt(n))
            props->EraseKey(In(crashrec::PropsKey(gone))); // absent after a replayed step
        if (!db.Flush())
            return 6;
        uint8_t raw[4];
        StoreU32(raw, n);
        if (write(ack, raw, 4) != 4)
            return 7;
    }
    db.ReleaseIndex(props);
    db.ReleaseIndex(thumbs);
    db.ReleaseIndex(symbols);
    return db.Close() ? 0 : 6;
}
