#ifndef LARKSPUR_SITE_IMAGESTORE_H
#define LARKSPUR_SITE_IMAGESTORE_H

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "ImagePattern.h"

namespace site {

struct ImageAnswer {
    int status = 404;
    std::string contentType;
    std::shared_ptr<const std::string> body;
};

// Profile pictures by file name, made on first request and kept: the same
// name always gives the same bytes.
class ImageStore {
public:
    ImageAnswer Lookup(const std::string& name);

private:
    std::mutex mutex;
    std::map<std::string, ImageAnswer> cache;
};

// The encoded file for a picture name that ParseImageName accepted.
std::string EncodeImage(const std::string& name, const ImageSpec& shape);
const char* ContentTypeForName(const std::string& name);

}  // namespace site

#endif
