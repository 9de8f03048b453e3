"""The real game end to end. Usage: test_game.py CLASS[.TEST], with QV_GAME (the binary),
QV_BUILD (its folder, with the pictures) and for Wine QV_WINDOWS_EXE and QV_WINE_RUN set."""
import glob, os, re, signal, subprocess, sys, tempfile, time, unittest  # noqa: E401
from termios import tcgetattr

from harness import Child, X, decode, fresh_settings, game_mode, jpeg, share_shown, until

GAME, BUILD, EXE = (os.environ.get(v, '') for v in ('QV_GAME', 'QV_BUILD', 'QV_WINDOWS_EXE'))
WINE = [os.environ.get('QV_WINE_RUN'), os.path.dirname(EXE) + '/wineprefix', EXE]

# The dialogue as a player sees it, written out apart from the game's code.
STARS = '*' * 50 + '\n'
BANNER = (STARS + '************** Quorvadellix v 1.0 ****************\n' + STARS
          + '**Developed by:' + ' ' * 30 + '*****\n**Pelvannorth & Quillobranthexa'
          + ' ' * 14 + '*****\n**April 7, 2004' + '\t' * 7 + '   *****\n' + STARS * 3
          + 'Game will start 3 seconds after you enter you name\nPlease enter your name: \n')
HELP = '\033[H\033[2J\033[3J' + ''.join(
    (line * 50 if line == '*' else line.ljust(50)) + '\n' for line in (
    "*|******************* HELP MENU ********************|*|INSTRUCTIONS:|AVOID THE ASTEROIDS FOR "
    "AS LONG AS POSSIBLE TO WIN||BUTTONS:|    'W' TO MOVE FOAWRD|    'A' TO TURN LEFT|    'D' TO "
    "TURN RIGHT|    'S' TO BRAKE|    'P' TO PAUSE/UNPAUSE THE GAME|    'H' FOR HELP|    'K' TO "
    "QUIT THE GAME|*|*|*").split('|'))
QUESTION, RESTART = 'Would you like to play again (Y/N)?: \n', 'Game will restart in 3 seconds \n'

def end(name):  # four bells, the report of a game quit at once, the question
    return (f'\a\a\a\aGood Job, {name} !\nGame Over!\nYour Score this Game was: 0\n'
            f'Your High Score is:  0\n{QUESTION}')

def two_games(name):
    return f'{name}\n{HELP}{end(name)}{RESTART}{HELP}{end(name)}'

def crlf(text):
    return text.replace('\n', '\r\n')

# A minimal job-control shell: unlike bash it does not restore the terminal when its job stops.
SHELL = '''import os, signal, sys
signal.signal(signal.SIGTTOU, signal.SIG_IGN)
if (job := os.fork()) == 0:
    os.setpgid(0, 0); os.tcsetpgrp(0, os.getpgrp()); signal.signal(signal.SIGTTOU, signal.SIG_DFL)
    os.execv(sys.argv[1], sys.argv[1:])
os.setpgid(job, job); os.tcsetpgrp(0, job)
while os.WIFSTOPPED(status := os.waitpid(job, os.WUNTRACED)[1]):
    os.tcsetpgrp(0, os.getpgrp()); print('stopped', file=sys.stderr, flush=True)
    sys.stdin.readline(); os.tcsetpgrp(0, job); os.killpg(job, signal.SIGCONT)  # fg
sys.exit(os.waitstatus_to_exitcode(status))'''

class Game(unittest.TestCase):
    def game(self, cwd=BUILD, tty=True, env=None, argv=None, keys=''):
        child = Child(argv or [GAME], cwd, dict({'SDL_VIDEODRIVER': 'dummy'}, **(env or {})), tty)
        self.addCleanup(child.kill)
        if tty and keys:  # typed before the prompt, a terminal would echo them
            child.expect(crlf(BANNER))
        child.write(keys)
        return child

    def playing(self, keys='h', tty=True, argv=None, env=None, cwd=BUILD):
        """A game in play: it has read the keys typed during its start delay."""
        game = self.game(cwd, tty, env, argv, 'Ann\r' + keys)
        game.expect('HELP MENU')
        game.wait_read()
        return game

    def ended(self, game, status=0):
        """It ended with status (minus a signal) and left its terminal as new."""
        self.assertEqual(game.wait_exit(), status, game.out + game.err)
        self.assertEqual(tcgetattr(game.master), fresh_settings())

class Terminal(Game):
    def test_two_quit_games(self):
        game = self.game()
        game.expect(crlf(BANNER))
        self.assertTrue(game_mode(tcgetattr(game.master)))
        game.write('Ann\rkykn')
        self.ended(game)
        self.assertEqual((game.out, game.err), (crlf(BANNER + two_games('Ann')), ''))

    def test_unusable_picture_stops_before_anything_is_shown(self):
        game = self.game(self.enterContext(tempfile.TemporaryDirectory()))
        self.ended(game, 1)
        self.assertEqual((game.out, game.err), ('', 'quorvadellix: space_image.jpg: cannot open '
                                                    'the picture: No such file or directory\n'))

    def test_ctrl_z_gives_the_shell_its_terminal_and_fg_resumes(self):
        shell = self.playing(argv=[sys.executable, '-c', SHELL, GAME])
        shell.write('\032')
        shell.expect('stopped\n', err=True)
        self.assertEqual(tcgetattr(shell.master), fresh_settings())
        # Stopped for more than a second: the score below (0) must leave that time out.
        stopped = time.monotonic()
        until(lambda: time.monotonic() - stopped > 1.2, lambda: 'a second stopped')
        shell.write('fg\r')
        until(lambda: game_mode(tcgetattr(shell.master)), lambda: 'the game mode back')
        shell.write('kn')
        self.ended(shell)
        # The terminal echoes the shell's line (when, is the kernel's choice), not the game's keys.
        self.assertEqual(shell.out.replace('fg\r\n', '', 1),
                         crlf(BANNER + 'Ann\n' + HELP + end('Ann')))

class EndOfInput(Game):
    def test_ends_the_run_with_status_zero(self):
        cases = [('Ann\rh', 'Ann\n' + HELP + '\a\a\a\aGood Job, Ann !\n'),  # in play: first
                 ('', '\n' + HELP + end('')), ('A\bn\rky', two_games('A\bn'))]
        games = [self.game(tty=False, keys=k) for k, _ in cases]  # all at once
        games[0].wait_read()  # the first is in play: it has read all its keys
        for game in games:
            game.close_input()
        for game, (keys, shown) in zip(games, cases):
            with self.subTest(keys=keys):
                self.assertEqual(game.wait_exit(), 0)
                out = game.out[:game.out.find('Game Over!')] if keys == 'Ann\rh' else game.out
                self.assertEqual(out, BANNER + shown)
                self.assertTrue(game.out.endswith(QUESTION), game.out)

class Signals(Game):
    def test_end_the_game_by_that_signal_and_restore_the_terminal(self):
        cases = [(signal.SIGHUP, '', 'name: '), (signal.SIGTERM, 'Ann\r', 'HELP'),  # start delay
                 (signal.SIGINT, 'Ann\rh', 'HELP'), (signal.SIGTERM, 'Ann\rh', 'HELP'),  # in play
                 (signal.SIGINT, 'Ann\rk', '(Y/N)')]
        games = [self.game(keys=keys) for _, keys, _ in cases]  # all at once, in this order
        for i, (game, (sig, keys, shown)) in enumerate(zip(games, cases)):
            with self.subTest(sig=sig, keys=keys):
                game.expect(shown)
                i == 2 and game.wait_read(games[3])  # both in play once 'h' is read
                game.write('\003') if sig == signal.SIGINT else game.proc.send_signal(sig)
                self.ended(game, -sig)

class XGame(Game):  # the game paused in its first pass, its window on a private X server
    def setUp(self):
        self.x = X(self.SCREEN, wm=self.SCREEN[1] == 1000)
        self.addCleanup(self.x.stop)
        folder, (w, h) = BUILD, self.PICTURE
        if self.PICTURE != (640, 480):  # the window takes the pictures' size and shape
            folder = self.enterContext(tempfile.TemporaryDirectory())
            for name in ('space_image.jpg', 'space_image_welcome.jpg'):
                pw, _, rgb = decode(f'{BUILD}/{name}')
                jpeg(f'{folder}/{name}', w, h, b''.join(
                    rgb[row * pw * 3:(row * pw + w) * 3] for row in range(h)))
        self.field = decode(folder + '/space_image.jpg')
        # SDL's system libraries under X keep blocks to the end: leaks are checked elsewhere.
        self.game = self.playing('p', cwd=folder, env=dict(
            self.x.env, SDL_VIDEODRIVER='x11', ASAN_OPTIONS='halt_on_error=1:detect_leaks=0'))
        self.shows(1)

    def shows(self, z, menu=False, full=False):
        """Until the window, centred, z times the picture or fullscreen, shows the field."""
        (sw, sh), (pw, ph) = self.SCREEN, self.PICTURE
        w, h = self.SCREEN if full else (pw * z, ph * z)
        self.win, x, y = self.x.window('Quorvadellix', ((sw - w) // 2, (sh - h) // 2, w, h))
        z, x = (h / ph, x + (w - h * pw / ph) / 2) if full else (z, x)  # between black bars

        def right():
            at = self.x.screen()
            return (share_shown(at, x, y, z, self.field, 2) > .95
                    and all(at(int(x + (c + .5) * z), int(y + (r + .5) * z)) == 0xFFFFFF
                            for c, r in [(pw // 2, ph // 2 - 1), (pw // 2 - 5, ph // 2 + 4),
                                         (pw // 2 + 5, ph // 2 + 4)])  # the ship's tip and rear
                    and (at(int(x) + 102, y + 102) == 0xF0F0F0) == menu  # menu background
                    and (not full or at(60, 500) == at(1540, 500) == 0))
        until(right, lambda: f'the field at zoom {z}, menu {menu}, fullscreen {full}')

    def steps(self, *steps):
        """xdotool commands on the window W, each with the view it leads to."""
        for command, *view in steps:  # a bare key name is typed in the window
            command = command if ' ' in command else 'windowfocus W key ' + command
            self.x.run('xdotool', *[self.win if a == 'W' else a for a in command.split()])
            view and self.shows(*view)

class Window(XGame):
    SCREEN, PICTURE = (1600, 1200), (640, 480)

    def test_right_click_menu_and_keys_zoom_and_escape_ends_the_game(self):
        # The menu opens at the pointer, 140 wide; border 1, padding 3, then entries 24 high.
        self.steps(('mousemove --window W 100 100 click 3', 1, True),
                   ('Escape', 1), ('mousemove --window W 100 100 click 3',),  # Escape: the menu
                   (f'mousemove --window W {100 + 70} {100 + 4 + 24 + 12} click 1', 2),
                   ('1', 1), ('2', 2), ('Escape',))
        self.ended(self.game)

    def test_keys_typed_in_it_steer_the_game_and_closing_it_ends_the_game(self):
        self.steps(('windowfocus W key x k',))  # k quits, also while paused
        self.game.expect('Good Job, Ann !')
        self.game.write('yh')
        self.game.wait_read()  # the next game plays
        self.assertTrue(self.x.close(self.win))
        self.ended(self.game)

class Fullscreen(XGame):
    SCREEN, PICTURE = (1600, 1000), (400, 360)  # not the usual shape

    def test_keeps_the_shape_and_gives_the_window_back(self):
        self.steps(('F11', 1, False, True), ('F11', 1), ('alt+Return', 1, False, True),
                   ('2', 2), ('F11', 2, False, True), ('Escape',))  # 2 leaves fullscreen first
        self.ended(self.game)

class Package(Game):
    def test_plays_from_any_folder_and_passes_debian_checks(self):
        work, empty, own = (self.enterContext(tempfile.TemporaryDirectory()) for _ in range(3))
        subprocess.run(['cpack', '-G', 'DEB', '-B', work], cwd=BUILD, check=True,
                       stdout=subprocess.DEVNULL)
        deb = glob.glob(work + '/quorvadellix_*_amd64.deb')[0]
        subprocess.run(['dpkg-deb', '-x', deb, work + '/root'], check=True)
        jpeg(own + '/space_image.jpg', 64, 48)  # the player's own win, even when refused
        jpeg(own + '/space_image_welcome.jpg', 32, 48)
        for cwd, status, out, err in [
                (empty, 0, BANNER + 'Ann\n' + HELP + end('Ann'), ''),
                (own, 1, '', 'quorvadellix: space_image_welcome.jpg: the picture is 32 x 48 '
                 'pixels but space_image.jpg is 64 x 48; both pictures must have the same size\n')]:
            game = self.game(cwd, False, argv=[work + '/root/usr/games/quorvadellix'],
                             keys='Ann\rkn')
            game.close_input()
            self.assertEqual((game.wait_exit(), game.out, game.err), (status, out, err))
        subprocess.run(f'cd {work}/root/usr/share && desktop-file-validate applications/*.desktop'
                       ' && ! appstreamcli validate --no-net metainfo/*.xml | grep ^E:'
                       f' && lintian --fail-on error {deb}', shell=True, check=True)

class Wine(Game):  # the cross-built game under Wine, on the display that DISPLAY names
    def test_console(self):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        for name in ('space_image.jpg', 'space_image_welcome.jpg'):
            jpeg(f'{folder}/{name}', 64, 48)
        game, closed = (self.game(folder, False, argv=WINE, keys=k)
                        for k in ('Ann\rkykn', 'Ann\r'))
        closed.expect(HELP)
        closed.close_input()  # while a game runs
        self.assertEqual((game.wait_exit(), game.out), (0, BANNER + two_games('Ann')))
        self.assertEqual((closed.wait_exit(), closed.out[-len(QUESTION):]), (0, QUESTION))
        with open(folder + '/space_image.jpg', 'wb') as bad:
            bad.write(b'x' * 9)
        bad = self.game(folder, False, argv=WINE)
        self.assertEqual((bad.wait_exit(), bad.out), (1, ''))
        # One line (standard error is binary: no CR) naming the picture.
        self.assertRegex(bad.err, r'quorvadellix: [^\r\n]*space_image\.jpg[^\r\n]*\n\Z')

    def test_dlls(self):
        names = {n.upper() for n in re.findall(r'DLL Name: (\S+)', subprocess.run(
            ['x86_64-w64-mingw32-objdump', '-p', EXE], capture_output=True, text=True).stdout)}
        self.assertIn('KERNEL32.DLL', names)
        self.assertLessEqual(names, {name + '.DLL' for name in (
            'ADVAPI32 GDI32 IMM32 KERNEL32 MSVCRT OLE32 OLEAUT32 SETUPAPI SHELL32 USER32 VERSION '
            'WINMM').split()})

    def test_window(self):
        x, (w, h, rgb) = X(), decode(BUILD + '/space_image_welcome.jpg')
        game = self.game(BUILD, False, {'SDL_VIDEODRIVER': 'windows'}, WINE)
        sw, sh = (int(v) for v in re.findall(r'(?:Width|Height): +(\d+)',
                                             x.run('xwininfo', '-root')))
        # Centred, no window manager here: the client area is the window.
        win, left, top = x.window('Quorvadellix', ((sw - w) // 2, (sh - h) // 2, w, h))
        until(lambda: share_shown(x.screen(), left, top, 1, (w, h, rgb), 0) == 1,
              lambda: 'the welcome picture')  # Wine paints in its own time
        game.write('Ann\r')  # the window reacts while the game presents frames
        game.expect(HELP)
        x.run('xdotool', 'windowfocus', '--sync', win, 'key', 'Escape')
        self.assertEqual(game.wait_exit(), 0)
        self.assertNotIn(QUESTION, game.out)

if __name__ == '__main__':
    unittest.main()
