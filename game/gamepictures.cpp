#include "game/gamepictures.h"

#include "image/cimagerecord.h"
#include "render/cbuffer2d.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

std::string SizeText(const CImageRecord& picture)
{
    return std::to_string(picture.GetWidth()) + " x " + std::to_string(picture.GetHeight());
}

// Why a picture that did not load could not be read: the file system's own
// reason when the file cannot be opened, otherwise the decoder's.
std::string LoadFailure(const char* fileName, const CImageRecord& picture)
{
    struct stat info = {};
    if (stat(fileName, &info) != 0) {
        return std::string("cannot open the picture: ") + std::strerror(errno);
    }
    if (S_ISDIR(info.st_mode)) {
        return "cannot open the picture: it is a folder";
    }
    if (info.st_size == 0) {
        return "not a picture that can be read (the file is empty)";
    }
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        return std::string("cannot open the picture: ") + std::strerror(errno);
    }
    unsigned char start[3] = {};
    const bool startsAsJpeg = std::fread(start, 1, sizeof(start), file) == sizeof(start) &&
                              start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
    std::fclose(file);
    if (startsAsJpeg) {
        // Format detection says only that no decoder took the file; for a
        // JPEG, libjpeg's own reason says what is wrong with it.
        const CImageRecord asJpeg(fileName, IMAGE_FORMAT_JPG);
        if (!asJpeg.IsValid() && asJpeg.GetLastError()[0] != '\0') {
            return std::string("not a picture that can be read (") + asJpeg.GetLastError() + ")";
        }
    }
    const char* reason = picture.GetLastError();
    if (reason == nullptr || reason[0] == '\0') {
        return "not a picture that can be read";
    }
    return std::string("not a picture that can be read (") + reason + ")";
}

} // namespace

std::string PictureProblem(const char* fileName, const CImageRecord& picture)
{
    if (!picture.IsValid()) {
        return std::string(fileName) + ": " + LoadFailure(fileName, picture);
    }
    if (picture.GetWidth() > static_cast<unsigned>(MAX_WIDTH) ||
        picture.GetHeight() > static_cast<unsigned>(MAX_HEIGHT)) {
        return std::string(fileName) + ": the picture is " + SizeText(picture) +
               " pixels; pictures may be at most " + std::to_string(MAX_WIDTH) + " x " +
               std::to_string(MAX_HEIGHT);
    }
    if (picture.GetWidth() == 0 || picture.GetHeight() == 0) {
        return std::string(fileName) + ": the picture is empty";
    }
    return {};
}

std::string PictureWarning(const char* fileName, const CImageRecord& picture)
{
    if (!picture.IsValid() || picture.GetLastWarning()[0] == '\0') {
        return {};
    }
    return std::string(fileName) + ": warning: " + picture.GetLastWarning();
}

std::string GamePicturesProblem(const char* backgroundFile, const CImageRecord& background,
                                const char* welcomeFile, const CImageRecord& welcome)
{
    std::string problem = PictureProblem(backgroundFile, background);
    if (problem.empty()) {
        problem = PictureProblem(welcomeFile, welcome);
    }
    if (problem.empty() && (background.GetWidth() != welcome.GetWidth() ||
                            background.GetHeight() != welcome.GetHeight())) {
        problem = std::string(welcomeFile) + ": the picture is " + SizeText(welcome) +
                  " pixels but " + backgroundFile + " is " + SizeText(background) +
                  "; both pictures must have the same size";
    }
    return problem;
}
