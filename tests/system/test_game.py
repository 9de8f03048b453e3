"""The real game end to end: its terminal, pipes, window, package and
Windows build. Usage: test_game.py CLASS, with QV_GAME (the binary), QV_BUILD
(its folder, with the pictures) and, for the Wine classes, QV_WINDOWS_EXE and
QV_WINE_RUN in the environment."""
import glob
import os
import re
import signal
import subprocess
import sys
import tempfile
import unittest

from harness import Child, X, decode, fresh_settings, game_mode, jpeg, share_shown, until

GAME, BUILD, EXE = (os.environ.get(v, '') for v in ('QV_GAME', 'QV_BUILD', 'QV_WINDOWS_EXE'))
WINE = [os.environ.get('QV_WINE_RUN'), os.path.dirname(EXE) + '/wineprefix', EXE]

# The dialogue as a player sees it, written out here apart from the game's code.
STARS = '*' * 50 + '\n'
BANNER = (STARS + '************** Quorvadellix v 1.0 ****************\n' + STARS
          + '**Developed by:' + ' ' * 30 + '*****\n**Pelvannorth & Quillobranthexa'
          + ' ' * 14 + '*****\n**April 7, 2004' + '\t' * 7 + '   *****\n' + STARS * 3
          + 'Game will start 3 seconds after you enter you name\n')
PROMPT = 'Please enter your name: \n'
HELP = '\033[H\033[2J\033[3J' + ''.join(
    (line * 50 if line == '*' else line.ljust(50)) + '\n' for line in [
        '*', '******************* HELP MENU ********************', '*', 'INSTRUCTIONS:',
        'AVOID THE ASTEROIDS FOR AS LONG AS POSSIBLE TO WIN', '', 'BUTTONS:',
        "    'W' TO MOVE FOAWRD", "    'A' TO TURN LEFT", "    'D' TO TURN RIGHT",
        "    'S' TO BRAKE", "    'P' TO PAUSE/UNPAUSE THE GAME", "    'H' FOR HELP",
        "    'K' TO QUIT THE GAME", '*', '*', '*'])
QUESTION = 'Would you like to play again (Y/N)?: \n'
RESTART = 'Game will restart in 3 seconds \n'


def end(name):
    """Four bells, the report of a game quit at once, the question."""
    return (f'\a\a\a\aGood Job, {name} !\nGame Over!\nYour Score this Game was: 0\n'
            f'Your High Score is:  0\n{QUESTION}')


def crlf(text):
    return text.replace('\n', '\r\n')


# A minimal job-control shell with the game as its job; unlike bash it does
# not put the terminal's settings back itself when the job stops.
SHELL = '''import os, signal, sys
signal.signal(signal.SIGTTOU, signal.SIG_IGN)
job = os.fork()
if job == 0:
    os.setpgid(0, 0)
    os.tcsetpgrp(0, os.getpgrp())
    signal.signal(signal.SIGTTOU, signal.SIG_DFL)
    os.execv(sys.argv[1], sys.argv[1:])
os.setpgid(job, job)
os.tcsetpgrp(0, job)
while os.WIFSTOPPED(status := os.waitpid(job, os.WUNTRACED)[1]):
    os.tcsetpgrp(0, os.getpgrp())
    print('stopped', file=sys.stderr, flush=True)
    sys.stdin.readline()  # fg
    os.tcsetpgrp(0, job)
    os.killpg(job, signal.SIGCONT)
sys.exit(os.waitstatus_to_exitcode(status))
'''


class Game(unittest.TestCase):
    def game(self, cwd=BUILD, tty=True, env=None, argv=None):
        child = Child(argv or [GAME], cwd, dict({'SDL_VIDEODRIVER': 'dummy'}, **(env or {})), tty)
        self.addCleanup(child.kill)
        return child

    def playing(self, keys='h', tty=True, argv=None, env=None):
        """A game in play: it has read the keys typed during its start delay."""
        game = self.game(tty=tty, argv=argv, env=env)
        game.expect(crlf(PROMPT) if tty else PROMPT)  # from here keys are not echoed
        game.write('Ann\r' + keys)
        game.expect('HELP MENU')
        game.wait_read()
        return game

    def ended(self, game, status=0):
        """It ended with status (minus a signal) and left its terminal as new."""
        self.assertEqual(game.wait_exit(), status, game.out + game.err)
        self.assertEqual(game.settings(), fresh_settings())

    def folder(self):
        return self.enterContext(tempfile.TemporaryDirectory())


class Transcript(Game):
    def test_two_quit_games_on_a_terminal(self):
        game = self.game()
        game.expect(crlf(PROMPT))
        self.assertTrue(game_mode(game.settings()))
        game.write('Ann\rkykn')
        self.ended(game)
        self.assertEqual(game.out, crlf(BANNER + PROMPT + 'Ann\n' + HELP + end('Ann') + RESTART
                                        + HELP + end('Ann')))
        self.assertEqual(game.err, '')

    def test_unusable_picture_stops_before_anything_is_shown(self):
        game = self.game(self.folder())
        self.ended(game, 1)
        self.assertEqual((game.out, game.err), ('', 'quorvadellix: space_image.jpg: cannot open '
                                                    'the picture: No such file or directory\n'))


class EndOfInput(Game):
    def test_ends_the_run_with_status_zero(self):
        for keys, shown in [('', '\n' + HELP + end('')),
                            ('A\bn\rky', 'A\bn\n' + HELP + end('A\bn') + RESTART + HELP
                             + end('A\bn')),
                            (None, 'Ann\n' + HELP + '\a\a\a\aGood Job, Ann !\n')]:  # in play
            with self.subTest(keys=keys):
                game = self.playing(tty=False) if keys is None else self.game(tty=False)
                game.write(keys or '')
                game.close_input()
                self.assertEqual(game.wait_exit(), 0)
                out = game.out if keys is not None else game.out[:game.out.find('Game Over!')]
                self.assertEqual(out, BANNER + PROMPT + shown)
                self.assertTrue(game.out.endswith(QUESTION), game.out)


class Signals(Game):
    def test_end_the_game_by_that_signal_and_restore_the_terminal(self):
        for sig, key, keys, marker in [
                (signal.SIGINT, '\003', None, None), (signal.SIGTERM, '', None, None),
                (signal.SIGHUP, '', '', 'name: '), (signal.SIGTERM, '', 'Ann\r', 'HELP MENU'),
                (signal.SIGINT, '\003', 'Ann\rk', '(Y/N)')]:
            with self.subTest(sig=sig, keys=keys):
                if keys is None:
                    game = self.playing()
                else:
                    game = self.game()
                    game.expect('name: ')
                    game.write(keys)
                    game.expect(marker)
                game.write(key) if key else game.proc.send_signal(sig)
                self.ended(game, -sig)

    def test_ctrl_z_gives_the_shell_its_terminal_and_fg_resumes(self):
        shell = self.playing(argv=[sys.executable, '-c', SHELL, GAME])
        shell.write('\032')
        shell.expect('stopped\n', err=True)
        self.assertEqual(shell.settings(), fresh_settings())
        shell.write('fg\r')
        until(lambda: game_mode(shell.settings()), 'the game mode back')
        shell.write('kn')
        self.ended(shell)
        self.assertIn('fg\r\n\a\a\a\aGood Job, Ann !', shell.out)  # the game's keys: no echo


class Window(Game):
    """The game paused in its first pass, its window on a private X server."""
    SCREEN, WM = (1600, 1200), False
    SHIP = [(320, 240), (315, 235), (325, 235)]  # bottom-up rows

    def setUp(self):
        self.x = X(self.SCREEN, self.WM)
        self.addCleanup(self.x.stop)
        self.field = decode(BUILD + '/space_image.jpg')
        # SDL's system libraries under X keep blocks to the end: leaks are checked elsewhere.
        self.game = self.playing('p', env=dict(self.x.env, SDL_VIDEODRIVER='x11',
                                               ASAN_OPTIONS='halt_on_error=1:detect_leaks=0'))
        self.shows(1)

    def shows(self, z, menu=False, full=False):
        """Until the window, centred, is z times the picture (or the whole
        screen) and shows the field with the white ship at its centre."""
        width, height = self.SCREEN if full else (640 * z, 480 * z)
        self.win, x, y = self.x.window(
            'Quorvadellix', ((self.SCREEN[0] - width) // 2, (self.SCREEN[1] - height) // 2,
                             width, height))[:3]
        if full:  # kept in shape between black bars
            z = height / 480
            x += (width - 640 * z) / 2

        def right():
            shot = self.x.screen()
            return (share_shown(shot, x, y, z, self.field, 2) > .95
                    and all(shot(int(x + (c + .5) * z), int(y + (479 - r + .5) * z)) == 0xFFFFFF
                            for c, r in self.SHIP)
                    and (not menu or shot(x + 102, y + 102) == 0xF0F0F0)  # its background
                    and (not full or shot(60, 500) == shot(1540, 500) == 0))
        until(right, f'the field at zoom {z}, menu {menu}, fullscreen {full}')

    def xdo(self, *args):
        self.x.run('xdotool', *[self.win if a == 'W' else a for a in args])

    def test_right_click_menu_and_keys_zoom_and_escape_ends_the_game(self):
        self.xdo('mousemove', '--window', 'W', 100, 100, 'click', 3)
        self.shows(1, menu=True)
        self.xdo('windowfocus', 'W', 'key', 'Escape')  # closes only the menu
        self.shows(1)
        self.xdo('mousemove', '--window', 'W', 100, 100, 'click', 3)
        # The menu opens at the pointer, 140 wide; below its border (1) and
        # padding (3), entry 0 then entry 1, 24 high each.
        self.xdo('mousemove', '--window', 'W', 100 + 70, 100 + 4 + 24 + 12, 'click', 1)
        self.shows(2)
        self.xdo('windowfocus', 'W', 'key', '1')
        self.shows(1)
        self.xdo('windowfocus', 'W', 'key', '2')
        self.shows(2)
        self.xdo('windowfocus', 'W', 'key', 'Escape')
        self.ended(self.game)

    def test_keys_typed_in_it_steer_the_game_and_closing_it_ends_the_game(self):
        self.xdo('windowfocus', 'W', 'key', 'x', 'k')  # quits, also while paused
        self.game.expect('Good Job, Ann !')
        self.game.write('yh')
        self.game.wait_read()  # the next game plays
        self.assertTrue(self.x.close(self.win))
        self.ended(self.game)


class Fullscreen(Window):
    SCREEN, WM = (1600, 1000), True

    def test_right_click_menu_and_keys_zoom_and_escape_ends_the_game(self):
        for key, z, full in [('F11', 1, True), ('F11', 1, False), ('alt+Return', 1, True),
                             ('2', 2, False), ('F11', 2, True)]:  # zoom leaves fullscreen
            self.xdo('windowfocus', 'W', 'key', key)
            self.shows(z, full=full)
        self.xdo('windowfocus', 'W', 'key', 'Escape')
        self.ended(self.game)

    test_keys_typed_in_it_steer_the_game_and_closing_it_ends_the_game = None


class Package(Game):
    def test_plays_from_any_folder_and_passes_debian_checks(self):
        work, empty, own = self.folder(), self.folder(), self.folder()
        subprocess.run(['cpack', '-G', 'DEB', '-B', work], cwd=BUILD, check=True,
                       stdout=subprocess.DEVNULL)
        deb = glob.glob(work + '/quorvadellix_*_amd64.deb')[0]
        subprocess.run(['dpkg-deb', '-x', deb, work + '/root'], check=True)
        command = [work + '/root/usr/games/quorvadellix']
        game = self.game(empty, False, argv=command)  # finds the installed pictures
        game.write('Ann\rkn')
        game.close_input()
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.out, BANNER + PROMPT + 'Ann\n' + HELP + end('Ann'))
        jpeg(own + '/space_image.jpg', 64, 48)  # the player's own win, even when refused
        jpeg(own + '/space_image_welcome.jpg', 32, 48)
        refused = self.game(own, False, argv=command)
        refused.close_input()
        self.assertEqual(refused.wait_exit(), 1)
        self.assertEqual((refused.out, refused.err), ('', (
            'quorvadellix: space_image_welcome.jpg: the picture is 32 x 48 pixels but '
            'space_image.jpg is 64 x 48; both pictures must have the same size\n')))
        share = work + '/root/usr/share/'
        subprocess.run(['desktop-file-validate', share + 'applications/quorvadellix.desktop'],
                       check=True)
        self.assertNotRegex(subprocess.run(
            ['appstreamcli', 'validate', '--no-net', share + 'metainfo/quorvadellix.metainfo.xml'],
            capture_output=True, text=True).stdout, '(?m)^E:')
        subprocess.run(['lintian', '--fail-on', 'error', deb], check=True)


class WineConsole(Game):
    def test_console_over_pipes_as_on_linux(self):
        folder = self.folder()
        for name in ('space_image.jpg', 'space_image_welcome.jpg'):
            jpeg(f'{folder}/{name}', 64, 48)
        game = self.game(folder, False, argv=WINE)
        game.write('Ann\rkykn')
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.out, BANNER + PROMPT + 'Ann\n' + HELP + end('Ann') + RESTART
                         + HELP + end('Ann'))
        closed = self.game(folder, False, argv=WINE)  # input ends while a game runs
        closed.write('Ann\r')
        closed.expect(HELP)
        closed.close_input()
        self.assertEqual(closed.wait_exit(), 0)
        self.assertTrue(closed.out.endswith(QUESTION), closed.out)
        with open(folder + '/space_image.jpg', 'wb') as bad:
            bad.write(b'x' * 9)
        bad = self.game(folder, False, argv=WINE)
        self.assertEqual(bad.wait_exit(), 1)
        self.assertEqual(bad.out, '')  # one line (binary standard error: no CR)
        self.assertRegex(bad.err, r'quorvadellix: [^\r\n]*space_image\.jpg[^\r\n]*\n\Z')


class WineDlls(Game):
    def test_imports_only_system_dlls(self):
        names = re.findall(r'DLL Name: (\S+)', subprocess.run(
            ['x86_64-w64-mingw32-objdump', '-p', EXE], capture_output=True, text=True).stdout)
        self.assertIn('KERNEL32.dll', names)
        self.assertLessEqual({n.upper() for n in names}, {
            'ADVAPI32.DLL', 'GDI32.DLL', 'IMM32.DLL', 'KERNEL32.DLL', 'MSVCRT.DLL', 'OLE32.DLL',
            'OLEAUT32.DLL', 'SETUPAPI.DLL', 'SHELL32.DLL', 'USER32.DLL', 'VERSION.DLL',
            'WINMM.DLL'})


class WineWindow(Game):
    def test_centred_shows_the_welcome_picture_and_ends_on_escape(self):
        x, welcome = X(), decode(BUILD + '/space_image_welcome.jpg')
        game = self.game(BUILD, False, {'SDL_VIDEODRIVER': 'windows'}, WINE)
        width, height = (int(v) for v in re.findall(r'(?:Width|Height): +(\d+)',
                                                     x.run('xwininfo', '-root')))
        # No window manager here: the client area is the window.
        win, left, top = x.window('Quorvadellix', ((width - welcome[0]) // 2,
                                                   (height - welcome[1]) // 2) + welcome[:2])[:3]
        until(lambda: share_shown(x.screen(), left, top, 1, welcome, 0) == 1,
              'the welcome picture')  # Wine paints in its own time
        game.write('Ann\r')  # the window reacts while the game presents frames
        game.expect(HELP)
        x.run('xdotool', 'windowfocus', '--sync', win, 'key', 'Escape')
        self.assertEqual(game.wait_exit(), 0)
        self.assertNotIn(QUESTION, game.out)


if __name__ == '__main__':
    unittest.main()
