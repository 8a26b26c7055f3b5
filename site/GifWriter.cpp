#include "GifWriter.h"

#include <cstdint>

namespace site {

namespace {

void PutWord(std::string& out, int value)
{
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

// Collects variable-width codes least significant bit first and cuts them into
// the sub-blocks of at most 255 bytes that GIF data travels in.
class CodePacker {
public:
    void Put(unsigned code, int width)
    {
        bits |= static_cast<std::uint32_t>(code) << bitCount;
        bitCount += width;
        while (bitCount >= 8) {
            bytes += static_cast<char>(bits & 0xff);
            bits >>= 8;
            bitCount -= 8;
        }
    }
    std::string Finish()
    {
        if (bitCount > 0) bytes += static_cast<char>(bits & 0xff);
        std::string blocks;
        for (std::size_t at = 0; at < bytes.size(); at += 255) {
            std::size_t length = std::min<std::size_t>(255, bytes.size() - at);
            blocks += static_cast<char>(length);
            blocks.append(bytes, at, length);
        }
        blocks += '\0';
        return blocks;
    }

private:
    std::uint32_t bits = 0;
    int bitCount = 0;
    std::string bytes;
};

}  // namespace

Rgba GifPaletteColour(int index)
{
    Rgba colour;
    colour.r = static_cast<std::uint8_t>(((index >> 5) & 7) * 255 / 7);
    colour.g = static_cast<std::uint8_t>(((index >> 2) & 7) * 255 / 7);
    colour.b = static_cast<std::uint8_t>((index & 3) * 255 / 3);
    colour.a = 255;
    return colour;
}

int GifPaletteIndex(Rgba colour)
{
    // Nearest level per channel rather than truncation, so a ramp keeps its ends.
    int r = (colour.r * 7 + 127) / 255, g = (colour.g * 7 + 127) / 255, b = (colour.b * 3 + 127) / 255;
    return (r << 5) | (g << 2) | b;
}

std::string WriteGif(int width, int height, const std::vector<Rgba>& pixels)
{
    std::string out = "GIF89a";
    PutWord(out, width);
    PutWord(out, height);
    out += static_cast<char>(0xF7);  // global table of 256 colours, 8 bits of colour resolution
    out += '\0';                     // background colour index
    out += '\0';                     // no aspect ratio
    for (int i = 0; i < 256; ++i) {
        Rgba colour = GifPaletteColour(i);
        out += static_cast<char>(colour.r);
        out += static_cast<char>(colour.g);
        out += static_cast<char>(colour.b);
    }
    out += ',';
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, width);
    PutWord(out, height);
    out += '\0';  // no local table, not interlaced

    const int minimumCodeSize = 8;
    const unsigned clearCode = 256, endCode = 257;
    const int codeWidth = 9;
    // After a clear the decoder's table holds 258 entries and gains one per
    // code from the second code on; it widens to 10 bits at 512 entries. A
    // clear every 250 codes stays well below that.
    const int codesPerClear = 250;
    out += static_cast<char>(minimumCodeSize);
    CodePacker packer;
    int sinceClear = codesPerClear;
    for (const Rgba& pixel : pixels) {
        if (sinceClear == codesPerClear) {
            packer.Put(clearCode, codeWidth);
            sinceClear = 0;
        }
        packer.Put(static_cast<unsigned>(GifPaletteIndex(pixel)), codeWidth);
        ++sinceClear;
    }
    packer.Put(endCode, codeWidth);
    out += packer.Finish();
    out += ';';
    return out;
}

}  // namespace site
