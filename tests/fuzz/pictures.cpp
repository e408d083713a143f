// Picture files (BMP, PNG): measured and uploaded into the virtual register's picture memory.
#include "FuzzInput.h"
#include "emulator/PictureStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    emu::PictureStore::imageSize(fuzz::bytes(data, size));
    emu::PictureStore store;
    store.upload(fuzz::asFile(data, size, "picture"), emu::PictureStore::Model::Numbered);
    return 0;
}
