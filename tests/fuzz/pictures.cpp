// Picture files (BMP, PNG) decoded as the virtual register takes them; a picture that is taken
// must come back the same through the register's own one-bit BMP.
#include <cstdlib>

#include "FuzzInput.h"
#include "emulator/PictureImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const emu::DecodedImage decoded = emu::decodePicture(fuzz::bytes(data, size));
    if (!decoded.image) return 0;
    const auto& image = *decoded.image;
    if (image.width > emu::kMaxPictureWidth || image.height > emu::kMaxPictureHeight ||
        image.dots.size() != qsizetype(image.width) * image.height)
        std::abort();
    if (emu::decodeImage(emu::encodeMonoBmp(image)) != image) std::abort();
    return 0;
}
