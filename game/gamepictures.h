#ifndef QV_GAME_GAMEPICTURES_H
#define QV_GAME_GAMEPICTURES_H

#include <string>

class CImageRecord;

/// The playing field's picture and the welcome picture, loaded from the
/// working directory.
constexpr const char* BACKGROUND_PICTURE = "space_image.jpg";
constexpr const char* WELCOME_PICTURE = "space_image_welcome.jpg";

/// Tells why a loaded picture cannot be used on its own: missing,
/// unreadable, not a picture that can be decoded, or larger than the largest
/// window (1024 x 768). Empty when it can be used.
std::string PictureProblem(const char* fileName, const CImageRecord& picture);

/// The warning a picture that did load gave (a truncated JPEG, say), as
/// "<file>: warning: <text>"; empty when there was none.
std::string PictureWarning(const char* fileName, const CImageRecord& picture);

/// Checks both pictures, each on its own and then that they have the same
/// size. Empty when the game can run with them; otherwise one message that
/// names the file and the reason.
std::string GamePicturesProblem(const char* backgroundFile, const CImageRecord& background,
                                const char* welcomeFile, const CImageRecord& welcome);

#endif
