// The compressed picture block that holds a frame's edited picture and a pan recording's desktop
// picture: a 32-bit length L, then L bytes of zlib data that inflate to a 32-bit width, a 32-bit
// height and width x height 32-bit pixels, top row first.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/PixelPicture.h"

// Returns the whole block, length included; empty when zlib fails.
std::vector<uint8_t> EncodePictureBlock(const CPixelPicture& picture);

// Decodes a block; false (and `picture` untouched) when the block is damaged or its size does not
// match its data.
bool DecodePictureBlock(std::span<const uint8_t> block, CPixelPicture& picture);
