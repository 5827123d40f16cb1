// One thumbnail of one file, as the thumbnail list makes it (box 160 x 120),
// in a process of its own so that the benchmark can read its peak memory
// beside djpeg's. Exit code 0 when the thumbnail was made.
#include "imaging/codecs/jpeg_reader.h"
#include "imaging/image_object.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    CJpegReader reader;
    reader.m_maxWidth = 160;
    reader.m_maxHeight = 120;
    CImageObject image;
    return reader.ReadScaled(argv[1], &image) && image.width > 0 ? 0 : 1;
}
