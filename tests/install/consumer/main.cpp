#include <iostream>

#include "foundation/VekPictureLoader.h"
#include "read/VekReadBarcodes.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    try {
        for (const orvel::TVekBarcode& barcode : orvel::readBarcodes(orvel::loadPictureFile(argv[1])))
            std::cout << orvel::formatName(barcode.format) << ": " << barcode.text() << "\n";
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << "\n";
        return 1;
    }
}
