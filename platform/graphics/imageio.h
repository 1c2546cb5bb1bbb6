#pragma once
// Image file codecs of this folder (BMP, ICO, PNG). Not for use outside
// platform/graphics: the classes in graphics.h are the interface.
#include <cstdint>
#include <vector>

#include "platform/graphics/graphics.h"

namespace gdi {

// Reads exactly one BMP file from the stream's position (the headers say how long
// it is). Raises EInvalidGraphic for a truncated or malformed header.
std::vector<uint8_t> ReadBmpBytes(TStream* Stream);
// Decodes a BMP file; EInvalidGraphic "Bitmap image is not valid: <why>". Table,
// when given, receives the colour table of a file of 1, 4 or 8 bits per pixel (as
// many entries as the file holds), and is emptied for other files.
void DecodeBmp(const std::vector<uint8_t>& Data, TSurface& Out, TPixelFormat& Format,
               std::vector<PALETTEENTRY>* Table = nullptr);
// Encodes with 1 (monochrome surfaces only), 24 or 32 bits per pixel.
std::vector<uint8_t> EncodeBmp(const TSurface& S, int BitsPerPixel);
// Encodes with 1, 4 or 8 bits per pixel and Table as the colour table (at most
// 2^BitsPerPixel entries); empty when a pixel's colour is not in the table.
std::vector<uint8_t> EncodeIndexedBmp(const TSurface& S, int BitsPerPixel, const std::vector<PALETTEENTRY>& Table);

// Reads one ICO file from the stream's position.
std::vector<uint8_t> ReadIcoBytes(TStream* Stream);
// The number of images in an ICO file (EInvalidGraphic for a bad directory).
int IcoImageCount(const std::vector<uint8_t>& Data);
// Decodes the chosen image of an ICO file into 0xAARRGGBB pixels.
void DecodeIco(const std::vector<uint8_t>& Data, int& Width, int& Height, std::vector<uint32_t>& Pixels);
// Decodes image Index (0-based, in directory order) of an ICO file.
void DecodeIcoImage(const std::vector<uint8_t>& Data, int Index, int& Width, int& Height,
                    std::vector<uint32_t>& Pixels);

std::vector<uint8_t> EncodePng(const TSurface& S);

}  // namespace gdi
