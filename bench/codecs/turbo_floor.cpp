#include "bench/codecs/turbo_floor.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

#include "imaging/codecs/jpeg_reader.h"
#include "imaging/image_object.h"

namespace {

// A read-only mapping of a whole file, as our reader maps it.
class CWholeFileMap {
public:
    explicit CWholeFileMap(const std::string& path) {
        const int fd = open(path.c_str(), O_RDONLY);
        struct stat st;
        if (fd >= 0 && fstat(fd, &st) == 0 && st.st_size > 0) {
            void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (p != MAP_FAILED) {
                m_data = static_cast<unsigned char*>(p);
                m_size = static_cast<size_t>(st.st_size);
            }
        }
        if (fd >= 0) {
            close(fd);
        }
    }
    ~CWholeFileMap() {
        if (m_data != nullptr) {
            munmap(m_data, m_size);
        }
    }
    CWholeFileMap(const CWholeFileMap&) = delete;
    CWholeFileMap& operator=(const CWholeFileMap&) = delete;
    const unsigned char* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    unsigned char* m_data = nullptr;
    size_t m_size = 0;
};

} // namespace

DecodeTiming TimeTurboDecode(const std::string& path, int denominator, bool fast, int repeats) {
    DecodeTiming timing;
    bool ok = false;
    timing.seconds = BestSeconds(
        [&] {
            CWholeFileMap file(path);
            tjhandle tj = tjInitDecompress();
            if (file.Data() == nullptr || tj == nullptr) {
                if (tj != nullptr) {
                    tjDestroy(tj);
                }
                return false;
            }
            int width = 0, height = 0, sampling = 0, colorspace = 0;
            bool done = false;
            if (tjDecompressHeader3(tj, file.Data(), static_cast<unsigned long>(file.Size()),
                                    &width, &height, &sampling, &colorspace) == 0) {
                const int w = (width + denominator - 1) / denominator;
                const int h = (height + denominator - 1) / denominator;
                CImageObject image;
                if (image.Create(w, h, 24, 0) && image.bits != nullptr) {
                    done = tjDecompress2(tj, file.Data(), static_cast<unsigned long>(file.Size()),
                                         image.bits, w, image.stride, h, TJPF_BGR,
                                         fast ? TJFLAG_FASTUPSAMPLE : 0) == 0;
                }
                timing.width = w;
                timing.height = h;
                timing.fullWidth = width;
                timing.fullHeight = height;
            }
            tjDestroy(tj);
            return done;
        },
        repeats, &ok);
    timing.ok = ok;
    return timing;
}

DecodeTiming TimeOurThumbnail(const std::string& path, int repeats) {
    DecodeTiming timing;
    bool ok = false;
    timing.seconds = BestSeconds(
        [&] {
            CJpegReader reader;
            reader.m_maxWidth = 160;
            reader.m_maxHeight = 120;
            CImageObject image;
            if (!reader.ReadScaled(path.c_str(), &image) || image.width <= 0) {
                return false;
            }
            timing.width = image.width;
            timing.height = image.height;
            return true;
        },
        repeats, &ok);
    timing.ok = ok;
    return timing;
}
