// The Debian package end to end: made by CPack from this build, unpacked into
// a temporary root, its command run from other folders, its files checked by
// Debian's own tools.
#include "support/child.h"
#include "support/dialogue.h"
#include "support/jpegfixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>

static constexpr int TIMEOUT_MS = 60000;

TEST(DebianPackage, PlaysFromAnyFolderPrefersThePlayersPicturesAndPassesDebianChecks)
{
    FixtureDirectory work, empty, own;
    const std::string root = work.Path() + "/root", deb = work.Path() + "/quorvadellix_*_amd64.deb";
    ASSERT_EQ(std::system(("cd '" QV_BINARY_DIR "' && cpack -G DEB -B '" + work.Path() +
                           "' >/dev/null && dpkg-deb -x " + deb + " '" + root + "'")
                              .c_str()),
              0);
    // Runs the unpacked command in a folder with keys on its input until it ends.
    const auto play = [&root](ChildProcess& game, const FixtureDirectory& folder,
                              const char* keys) {
        ChildOptions options;
        options.argv = {root + "/usr/games/quorvadellix"};
        options.cwd = folder.Path();
        options.env = {"SDL_VIDEODRIVER=dummy"};
        ASSERT_TRUE(game.Start(options) && game.Write(keys));
        game.CloseInput();
        ASSERT_TRUE(game.WaitExit(TIMEOUT_MS)) << game.Output();
    };
    // Started from an empty folder, the game finds the installed pictures.
    ChildProcess game, refused;
    play(game, empty, "Ann\rkn");
    EXPECT_EQ(game.ExitCode(), 0);
    EXPECT_EQ(game.Output(), ExpectedBanner() + "Please enter your name: \nAnn\n" + ExpectedHelp() +
                                 "\a\a\a\a" + ExpectedReport("Ann", 0, 0) +
                                 "Would you like to play again (Y/N)?: \n");
    // A folder holding both pictures wins, even when the game must refuse them.
    ASSERT_TRUE(WriteBytes(own.File("space_image.jpg"), MakeJpeg({64, 48})));
    ASSERT_TRUE(WriteBytes(own.File("space_image_welcome.jpg"), MakeJpeg({32, 48})));
    play(refused, own, "");
    EXPECT_EQ(refused.ExitCode(), 1);
    EXPECT_EQ(refused.Output(), "");
    EXPECT_EQ(refused.Error(),
              "quorvadellix: space_image_welcome.jpg: the picture is 32 x 48 pixels "
              "but space_image.jpg is 64 x 48; both pictures must have the same "
              "size\n");
    const std::string share = "'" + root + "/usr/share/";
    for (const std::string& check :
         {"desktop-file-validate " + share + "applications/quorvadellix.desktop'",
          "! appstreamcli validate --no-net " + share +
              "metainfo/quorvadellix.metainfo.xml' | grep ^E:",
          "lintian --fail-on error " + deb}) {
        EXPECT_EQ(std::system(check.c_str()), 0) << check;
    }
}
