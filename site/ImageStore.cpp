#include "ImageStore.h"

#include <stb/stb_image_write.h>

#include "GifWriter.h"

namespace site {

namespace {

void AppendToString(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

std::vector<unsigned char> Channels(const std::vector<Rgba>& pixels, int count)
{
    std::vector<unsigned char> bytes;
    bytes.reserve(pixels.size() * static_cast<std::size_t>(count));
    for (const Rgba& pixel : pixels) {
        bytes.push_back(pixel.r);
        bytes.push_back(pixel.g);
        bytes.push_back(pixel.b);
        if (count == 4) bytes.push_back(pixel.a);
    }
    return bytes;
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

const char* ContentTypeForName(const std::string& name)
{
    if (EndsWith(name, ".png")) return "image/png";
    if (EndsWith(name, ".gif")) return "image/gif";
    if (EndsWith(name, ".jpg") || EndsWith(name, ".jpeg")) return "image/jpeg";
    if (EndsWith(name, ".bmp")) return "image/bmp";
    return "application/octet-stream";
}

std::string EncodeImage(const std::string& name, const ImageSpec& shape)
{
    std::vector<Rgba> pixels = PatternPixels(name, shape);
    std::string file;
    const int w = shape.width, h = shape.height;
    switch (shape.format) {
    case ImageFormat::Png: {
        std::vector<unsigned char> rgba = Channels(pixels, 4);
        stbi_write_png_to_func(AppendToString, &file, w, h, 4, rgba.data(), w * 4);
        break;
    }
    case ImageFormat::OpaquePng: {
        std::vector<unsigned char> rgb = Channels(pixels, 3);
        stbi_write_png_to_func(AppendToString, &file, w, h, 3, rgb.data(), w * 3);
        break;
    }
    case ImageFormat::Jpeg: {
        std::vector<unsigned char> rgb = Channels(pixels, 3);
        stbi_write_jpg_to_func(AppendToString, &file, w, h, 3, rgb.data(), 92);
        break;
    }
    case ImageFormat::Bmp: {
        // Three channels make stb write a 24-bit BMP.
        std::vector<unsigned char> rgb = Channels(pixels, 3);
        stbi_write_bmp_to_func(AppendToString, &file, w, h, 3, rgb.data());
        break;
    }
    case ImageFormat::Gif:
        file = WriteGif(w, h, pixels);
        break;
    }
    return file;
}

ImageAnswer ImageStore::Lookup(const std::string& name)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto found = cache.find(name);
        if (found != cache.end()) return found->second;
    }
    ImageAnswer answer;
    ImageSpec shape;
    switch (ParseImageName(name, shape)) {
    case ImageNameKind::Picture:
        answer.status = 200;
        answer.contentType = ContentTypeForName(name);
        answer.body = std::make_shared<const std::string>(EncodeImage(name, shape));
        break;
    case ImageNameKind::NotPicture:
        // Served with an image type where the name suggests one, so that the
        // client has to notice by decoding.
        answer.status = 200;
        answer.contentType = ContentTypeForName(name);
        answer.body = std::make_shared<const std::string>(
            "This is not a picture.\r\n\x01\x02\x03\xfe\xff larkspur junk bytes\r\n");
        return answer;  // not cached: any name lands here
    case ImageNameKind::Unsupported:
        return answer;
    }
    std::lock_guard<std::mutex> lock(mutex);
    // Names are chosen by clients: keep the cache from growing without bound.
    if (cache.size() >= 1024) cache.clear();
    cache.emplace(name, answer);
    return answer;
}

}  // namespace site
