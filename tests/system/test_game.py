"""The real game end to end: test_game.py CLASS[.TEST], with QV_GAME (the binary), QV_BUILD (its
folder) and for Wine QV_WINDOWS_ZIP, QV_WINE_RUN, WINEPREFIX and QV_WINDOWS_HELPER set."""
import glob, io, os, re, shutil, signal, subprocess, sys, tempfile, time, unittest  # noqa: E401
import zipfile
from pathlib import Path
from termios import tcgetattr

from harness import Child, X, decode, fresh_settings, game_mode, jpeg, share_shown, until

GAME, BUILD, ZIP = (os.environ.get(v, '') for v in ('QV_GAME', 'QV_BUILD', 'QV_WINDOWS_ZIP'))

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
def two_games(name): return f'{name}\n{HELP}{end(name)}{RESTART}{HELP}{end(name)}'
def crlf(text): return text.replace('\n', '\r\n')

# A minimal job-control shell: unlike bash it does not restore the terminal when its job stops.
SHELL = '''import os, signal, sys
signal.signal(signal.SIGTTOU, signal.SIG_IGN)
if (job := os.fork()) == 0:
    os.setpgid(0, 0); os.tcsetpgrp(0, os.getpgrp()); signal.signal(signal.SIGTTOU, signal.SIG_DFL)
    os.execv(sys.argv[1], sys.argv[1:])
os.setpgid(job, job); os.tcsetpgrp(0, job)
while os.WIFSTOPPED(status := os.waitpid(job, os.WUNTRACED)[1]):
    os.tcsetpgrp(0, os.getpgrp()); print('stopped', file=sys.stderr, flush=True)
    if sys.stdin.readline().strip() == 'bg':  # on in the background until the next line
        os.killpg(job, signal.SIGCONT); print('bg', file=sys.stderr, flush=True); sys.stdin.readline()
    os.tcsetpgrp(0, job); os.killpg(job, signal.SIGCONT)  # fg
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
        (game := self.game(cwd, tty, env, argv, 'Ann\r' + keys)).expect('HELP MENU')
        return game.wait_read() or game

    def ended(self, game, status=0):
        """It ended with status (minus a signal) and left its terminal as new."""
        self.assertEqual(game.wait_exit(), status, game.out + game.err)
        self.assertEqual(tcgetattr(game.master), fresh_settings())

class Terminal(Game):
    def test_two_quit_games_or_none(self):
        (game := self.game()).expect(crlf(BANNER))
        self.assertTrue(game_mode(tcgetattr(game.master)))
        game.write('Ann\rkykn'), self.ended(game)
        self.assertEqual((game.out, game.err), (crlf(BANNER + two_games('Ann')), ''))
        # An unusable picture stops the game before anything is shown.
        game = self.game(self.enterContext(tempfile.TemporaryDirectory()))
        self.ended(game, 1)
        self.assertEqual((game.out, game.err), ('', 'quorvadellix: space_image.jpg: cannot open '
                                                    'the picture: No such file or directory\n'))

    def test_ctrl_z_gives_the_shell_its_terminal_and_fg_resumes(self):
        shell = self.playing(argv=[sys.executable, '-c', SHELL, GAME])
        shell.write('\032'), shell.expect('stopped\n', err=True)
        self.assertEqual(tcgetattr(shell.master), fresh_settings())
        # Stopped, then run in the background (where no key reaches it), 0.7 s each: the score
        # below (0) must leave both out.
        for step in ('bg', 'fg'):
            since = time.monotonic()
            until(lambda: time.monotonic() - since > .7, lambda: 'time away')
            shell.write(step + '\r')
        shell.expect('bg\n', err=True)
        until(lambda: game_mode(tcgetattr(shell.master)), lambda: 'the game mode back')
        shell.write('kn'), self.ended(shell)
        # The terminal echoes the shell's line (when, is the kernel's choice), not the game's keys.
        self.assertEqual(shell.out.replace('bg\r\n', '', 1).replace('fg\r\n', '', 1),
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
        # Under nohup SIGHUP stays ignored.
        game = self.playing(argv=['sh', '-c', 'trap "" HUP; exec "$0"', GAME])
        game.proc.send_signal(signal.SIGHUP)  # as when its terminal closes
        game.write('kn'), self.ended(game)

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

    def test_icon_menu_and_keys_zoom_keys_typed_in_it_steer_and_closing_it_ends_the_game(self):
        with open(BUILD + '/icons/windowicon.h') as header:  # the drawn icon's RGBA bytes
            rgba = [int(v) for v in header.read().split('{')[1].split(',')[:-1]]
        argb = [a << 24 | r << 16 | g << 8 | b for r, g, b, a in zip(*[iter(rgba)] * 4)]
        icon = self.x.run('xprop', '-id', self.win, '-f', '_NET_WM_ICON', '32c', '_NET_WM_ICON')
        self.assertEqual([int(v) for v in icon.split('=')[-1].split(',')], [48, 48] + argb)
        # The menu opens at the pointer, 140 wide; border 1, padding 3, then entries 24 high.
        self.steps(('mousemove --window W 100 100 click 3', 1, True),
                   ('Escape', 1), ('mousemove --window W 100 100 click 3',),  # Escape: the menu
                   (f'mousemove --window W {100 + 70} {100 + 4 + 24 + 12} click 1', 2),
                   ('1', 1), ('2', 2), ('windowfocus W key x k',))  # k quits, also while paused
        self.game.expect('Good Job, Ann !')  # Escape ends it: Fullscreen
        self.game.write('yh'), self.game.wait_read()  # the next game plays
        self.assertTrue(self.x.close(self.win)), self.ended(self.game)

class Fullscreen(XGame):
    SCREEN, PICTURE = (1600, 1000), (400, 360)  # not the usual shape

    def test_keeps_the_shape_and_gives_the_window_back(self):
        menu = 'mousemove --window W 344 100 click 3'  # 100 right of the bar in fullscreen
        self.steps(('F11', 1, False, True), ('F11', 1), ('alt+Return', 1, False, True),
                   ('mousemove --window W 20 450 click 3',))  # a menu on the left bar
        until(lambda: self.x.screen()(60, 500) == 0xF0F0F0, lambda: 'the menu on the bar')
        self.steps(('Escape', 1, False, True),  # the bar black again
                   ('2', 2), ('F11', 2, False, True), (menu, 2, True, True),  # 2 leaves fullscreen
                   ('F11', 2), ('alt+Return', 2, False, True), (menu, 2, True, True),  # F11: closed
                   ('mousemove --window W 414 116 click 1', 1), ('2', 2),  # Zoom 1 x 1, then 2
                   ('mousemove --window W 100 100 click 3', 2, True),  # Zoom 2 x 2: same size
                   ('mousemove --window W 170 140 click 1', 2), ('Escape',)), self.ended(self.game)

class TerminalFocus(Game):  # in an xterm beside openbox, which honours a request not to focus
    def test_window_opens_without_the_terminals_keyboard_and_a_click_gives_it(self):
        x, log = X((1280, 1024), ['openbox', '--sm-disable']), self.enterContext(
            tempfile.TemporaryDirectory()) + '/typescript'
        # The xterm writes down all that the game shows in it; the game starts on Return.
        term = subprocess.Popen(['xterm', '-class', 'QvTerm', '-l', '-lf', log, '-e', 'sh', '-c',
                                 'read go && exec "$0"', GAME], cwd=BUILD, env=dict(
            os.environ, **x.env, SDL_VIDEODRIVER='x11', ASAN_OPTIONS='detect_leaks=0'))
        self.addCleanup(x.stop), self.addCleanup(lambda: term.kill() or term.wait())
        xdotool = lambda *a: x.run('xdotool', *a).split()  # noqa: E731
        shown = lambda: Path(log).read_text('latin-1') if os.path.exists(log) else ''  # noqa
        see = lambda t: until(lambda: t in shown(), lambda: f'{t!r} in {shown()!r}')  # noqa: E731
        focus = lambda at: until(lambda: xdotool('getwindowfocus') == [at], lambda: (  # noqa
            f'the keyboard at {at}, not {xdotool("getwindowfocus")}: {shown()!r}'))
        terminal = xdotool('search', '--sync', '--onlyvisible', '--class', '^QvTerm$')[0]
        focus(terminal), xdotool('key', 'Return'), see('name: ')  # then the window is up
        window = xdotool('search', '--sync', '--onlyvisible', '--classname', '^quorvadellix$')[0]
        self.assertEqual(xdotool('getwindowfocus'), [terminal])
        xdotool('type', 'Zoe\n'), see('HELP MENU')  # typed to whoever has the keyboard
        xdotool('mousemove', '--window', window, 100, 100, 'click', '1')
        left, top = (int(v) for v in re.findall(r'Absolute upper-left [XY]: +(\d+)', x.run(
            'xwininfo', '-id', window)))  # keys typed in it before play would be dropped:
        until(lambda: share_shown(x.screen(), left, top, 1, decode(BUILD + '/space_image.jpg'),
                                  2) > .95, lambda: 'play')
        focus(window), xdotool('key', 'p', 'k'), see(QUESTION)  # in the window: pause, quit
        self.assertIn('name: \nZoe\n' + HELP + end('Zoe'), shown())

class Unreachable(Game):  # DISPLAY names a display that no X server serves
    def test_warns_and_plays_in_the_terminal_alone(self):
        number = next(n for n in range(4242, 4342) if not os.path.exists(f'/tmp/.X{n}-lock'))
        env = {'SDL_VIDEODRIVER': '', 'DISPLAY': f':{number}', 'WAYLAND_DISPLAY': 'none-here',
               'ASAN_OPTIONS': 'halt_on_error=1:detect_leaks=0'}  # SDL's failed tries keep blocks
        (game := self.game(tty=False, keys='Ann\rkn', env=env)).close_input()
        self.assertEqual((game.wait_exit(), game.out), (0, BANNER + 'Ann\n' + HELP + end('Ann')))
        self.assertIn(f'quorvadellix: warning: cannot open the graphics window (no graphics '
                      f'display answers at DISPLAY=:{number} or WAYLAND_DISPLAY=none-here; SDL '
                      'could start only its offscreen driver, which shows nothing); the game '
                      'goes on in the terminal without it\n', game.err)

class Package(Game):  # cmake --install right after the build play.sh makes, and the package
    def test_installs_plays_from_any_folder_and_passes_debian_checks(self):
        work, empty, own, half = (self.enterContext(tempfile.TemporaryDirectory()) for _ in 'four')
        for step in (['cmake', '--build', BUILD, '--target', 'qv_installed_files'], ['cmake',
                     '--install', BUILD, '--prefix', work + '/usr'], ['cpack', '-G', 'DEB']):
            subprocess.run(step + ['-B', work] * (step[0] == 'cpack'), cwd=BUILD, check=True,
                           stdout=subprocess.DEVNULL)
        deb, g = glob.glob(work + '/quorvadellix_*_amd64.deb')[0], 'quorvadellix'
        subprocess.run(['dpkg-deb', '-x', deb, work + '/root'], check=True)
        files = lambda top: sorted(os.path.relpath(f, top) for f in glob.glob(  # noqa: E731
            top + '/**', recursive=True) if os.path.isfile(f))
        self.assertEqual([files(work + '/usr'), files(work + '/root/usr')], [sorted(
            f'games/{g} lib/games/{g}/{g} share/games/{g}/space_image.jpg share/man/man6/{g}.6.gz '
            f'share/games/{g}/space_image_welcome.jpg share/applications/{g}.desktop '
            f'share/metainfo/{g}.metainfo.xml share/doc/{g}/copyright share/doc/{g}/changelog.gz '
            f'share/icons/hicolor/48x48/apps/{g}.png share/icons/hicolor/128x128/apps/{g}.png '
            f'share/icons/hicolor/256x256/apps/{g}.png'.split())] * 2)
        jpeg(own + '/space_image.jpg', 64, 48)  # the player's own win, even when refused
        jpeg(own + '/space_image_welcome.jpg', 32, 48)
        jpeg(half + '/space_image.jpg', 32, 48)  # one of them alone: the installed pair
        played = (0, BANNER + 'Ann\n' + HELP + end('Ann'), '')
        for cwd, *result in [(empty, *played), (half, *played), (
                own, 1, '', 'quorvadellix: space_image_welcome.jpg: the picture is 32 x 48 '
                'pixels but space_image.jpg is 64 x 48; both pictures must have the same size\n')]:
            game = self.game(cwd, False, argv=[work + '/root/usr/games/quorvadellix'], keys='Ann\r')
            if result[0] == 0:  # the launcher hands its process over: signals reach the game
                game.expect('HELP MENU')
                self.assertEqual(os.readlink(f'/proc/{game.proc.pid}/exe'),
                                 work + '/root/usr/lib/games/quorvadellix/quorvadellix')
            game.write('kn'), game.close_input()
            self.assertEqual([game.wait_exit(), game.out, game.err], result)
        # The menu entry needs a terminal for the dialogue, runs an installed command, shows an
        # installed icon at every size and is the one the software centres' entry launches.
        share = work + '/root/usr/share/'
        with open(glob.glob(share + 'applications/*.desktop')[0]) as entry:
            keys = dict(line.strip().split('=', 1) for line in entry if '=' in line)
        self.assertEqual(keys['Terminal'], 'true')
        self.assertTrue(os.access(work + '/root/usr/games/' + keys['Exec'].split()[0], os.X_OK))
        self.assertEqual(len(glob.glob(f'{share}icons/hicolor/*/apps/{keys["Icon"]}.png')), 3)
        self.assertIn(f'<launchable type="desktop-id">{os.path.basename(entry.name)}</',
                      Path(glob.glob(share + 'metainfo/*.xml')[0]).read_text())
        subprocess.run(f'cd {share} && desktop-file-validate applications/*.desktop'
                       ' && ! appstreamcli validate --no-net metainfo/*.xml | grep ^E:'
                       f' && lintian --fail-on error,warning {deb}', shell=True, check=True)

class Wine(Game):  # the game unpacked from the Windows zip, under Wine on the display DISPLAY names
    def game(self, *args, **kwargs):  # Wine's desktop process, when a game starts it, keeps its
        (child := super().game(*args, **kwargs)).outlived = True  # standard error open
        return child

    @classmethod
    def setUpClass(cls):
        with zipfile.ZipFile(ZIP) as archive:
            cls.names, folder = archive.namelist(), tempfile.mkdtemp()
            archive.extractall(folder)
        cls.addClassCleanup(shutil.rmtree, folder)
        cls.folder = folder + '/quorvadellix-windows-x64/'
        cls.wine = [os.environ.get('QV_WINE_RUN'), os.environ.get('WINEPREFIX'),
                    cls.folder + 'quorvadellix.exe']

    def test_console(self):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        for name in ('space_image.jpg', 'space_image_welcome.jpg'):
            jpeg(f'{folder}/{name}', 64, 48)
        game, closed = (self.game(folder, False, argv=self.wine, keys=k)
                        for k in ('Ann\rkykn', 'Ann\r'))
        closed.expect(HELP), closed.close_input()  # while a game runs
        self.assertEqual((game.wait_exit(), game.out), (0, BANNER + two_games('Ann')))
        self.assertEqual((closed.wait_exit(), closed.out[-len(QUESTION):]), (0, QUESTION))
        Path(folder, 'space_image.jpg').write_bytes(b'x' * 9)
        bad = self.game(folder, False, argv=self.wine)
        self.assertEqual((bad.wait_exit(), bad.out), (1, ''))
        # One line (standard error is binary: no CR) naming the picture.
        self.assertRegex(bad.err, r'quorvadellix: [^\r\n]*space_image\.jpg[^\r\n]*\n\Z')

    def test_zip(self):  # the tested exe, the pictures drawn, the how-to for Windows editors
        self.assertEqual(sorted(self.names), ['quorvadellix-windows-x64/' + n for n in (
            '', 'HOW-TO-PLAY.txt', 'quorvadellix.exe', 'space_image.jpg',
            'space_image_welcome.jpg')])
        for path in (f'{BUILD}/space_image.jpg', f'{BUILD}/space_image_welcome.jpg',
                     os.path.dirname(__file__) + '/../../packaging/windows/HOW-TO-PLAY.txt'):
            self.assertEqual(Path(self.folder, Path(path).name).read_bytes(), Path(  # Windows ends
                path).read_bytes().replace(b'\n', b'\r\n' if path.endswith('.txt') else b'\n'))
        names = {n.upper() for n in re.findall(r'DLL Name: (\S+)', subprocess.run(
            ['x86_64-w64-mingw32-objdump', '-p', self.wine[2]], capture_output=True,
            text=True).stdout)}
        self.assertIn('KERNEL32.DLL', names)
        self.assertLessEqual(names, {name + '.DLL' for name in (
            'ADVAPI32 GDI32 IMM32 KERNEL32 MSVCRT OLE32 OLEAUT32 SETUPAPI SHELL32 USER32 VERSION '
            'WINMM').split()})
        # Its resources as windres reads them back: icon, version, manifest.
        rc = subprocess.run(['x86_64-w64-mingw32-windres', '-i', self.wine[2], '-O', 'rc'],
                            capture_output=True, text=True, check=True).stdout.replace('""', '"')
        with open(os.path.dirname(__file__) + '/../../CMakeLists.txt') as cmake:
            v = re.search(r'project\(\S+ VERSION (\d+)\.(\d+)', cmake.read()).groups()
        # The group icon's entries: width and height (0 for 256) in octal, planes, bits.
        self.assertEqual([int(w, 8) or 256 for w, h in re.findall(
            r'"\\(\d+)\\(\d+)\\000\\000", 1, 32,', rc) if w == h], [16, 32, 48, 256])
        for text in (f'FILEVERSION {v[0]}, {v[1]}, 0, 0', '"ProductName", "Quorvadellix"',
                     f'"FileVersion", "{v[0]}.{v[1]}"', f'"ProductVersion", "{v[0]}.{v[1]}"',
                     '"OriginalFilename", "quorvadellix.exe"', '"FileDescription", "Quorvadellix, ',
                     '<requestedExecutionLevel level="asInvoker"',
                     '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'):
            self.assertIn(text, rc)
        self.assertNotIn('<activeCodePage', rc)

    def test_window(self):
        x, (w, h, rgb) = X(), decode(BUILD + '/space_image_welcome.jpg')
        game = self.game(self.folder, False, {'SDL_VIDEODRIVER': 'windows'}, self.wine)
        sw, sh = (int(v) for v in re.findall(r'(?:Width|Height): +(\d+)',
                                             x.run('xwininfo', '-root')))
        # Centred, no window manager here: the client area is the window.
        win, left, top = x.window('Quorvadellix', ((sw - w) // 2, (sh - h) // 2, w, h))
        until(lambda: share_shown(x.screen(), left, top, 1, (w, h, rgb), 0) == 1,
              lambda: 'the welcome picture')  # Wine paints in its own time
        # Paused in its first pass, so that no asteroid ends the game while the window waits to
        # be clicked; the window reacts while the game presents frames, paused too.
        game.write('Ann\rp'), game.expect(HELP)
        until(lambda: x.run('xdotool', 'mousemove', '--window', win, 9, 9, 'click', '1', 'key',
                            'Escape') or game.proc.poll() is not None,  # a click activates it
              lambda: 'Escape', lambda: time.sleep(0.2))  # once it can be activated
        self.assertEqual(game.wait_exit(), 0)
        self.assertNotIn(QUESTION, game.out)

    def test_console_window(self):  # beside a window manager, which focuses every new window
        """The console gets the keyboard back, shows the help cleared and the game's title."""
        x, views = X((1280, 1024), wm=True), self.enterContext(tempfile.TemporaryDirectory()) + '/v'
        self.addCleanup(x.stop)
        console = subprocess.Popen(self.wine[:2] + ['wineconsole', os.environ.get(
            'QV_WINDOWS_HELPER'), views, self.wine[2]], cwd=self.folder,
            env=dict(os.environ, **x.env))
        self.addCleanup(lambda: console.kill() or console.wait())
        xdotool = lambda *a: x.run('xdotool', *a).split()  # noqa: E731
        window = xdotool('search', '--sync', '--name', '^qvwatch$')[0]
        xdotool('mousemove', '--window', window, 20, 20, 'type', 'g')  # the pointer stays there

        def view():  # the latest look at the console: its number, then what it shows
            with open(views) if os.path.exists(views) else io.StringIO('look 0\n') as text:
                number, shown = text.read().split('\n', 1)
            return int(number[5:]), shown
        until(lambda: xdotool('getwindowfocus')[0] in set(xdotool(
            'search', '--onlyvisible', '--name', '^Quorvadellix$')) - {window},
            lambda: 'the window manager to focus the window: %r' % (view(),))
        # Then the console gets the keyboard back in Windows' own terms. Wine moves the X
        # keyboard focus only for windows no window manager manages: the pointer does it here.
        focused = view()[0]
        until(lambda: view()[0] > focused + 1 and 'front: console' in view()[1],
              lambda: 'the console in front: %r' % (view(),))
        xdotool('windowfocus', '--sync', window, 'type', 'Ann\n')
        until(lambda: 'HELP MENU' in view()[1], lambda: 'the help: %r' % (view(),))
        self.assertTrue(view()[1].startswith('title: Quorvadellix\nfront: console\n' + '*' * 50))
        self.assertNotRegex(view()[1], r'\[2J|v 1\.0')  # cleared, with the console functions
        xdotool('type', 'kn')
        until(lambda: view()[1].endswith('exit 0\n'), lambda: 'the end: %r' % (view(),))
        self.assertTrue(view()[1].startswith('title: qvwatch\n'), view())

    def test_cmd_beside_openbox(self):  # which honours focus requests as Windows' own does
        """The window opens without the console's keyboard, a click gives it the keyboard, the
        console gets it back at the question, cmd gets every key typed after the game."""
        x, views = X((1280, 1024), ['openbox', '--sm-disable']), self.enterContext(
            tempfile.TemporaryDirectory()) + '/v'
        self.addCleanup(x.stop)
        console = subprocess.Popen(self.wine[:2] + ['wineconsole', os.environ.get(
            'QV_WINDOWS_HELPER'), views, 'cmd.exe'], cwd=self.folder, env=dict(os.environ, **x.env))
        self.addCleanup(lambda: console.kill() or console.wait())
        xdotool = lambda *a: x.run('xdotool', *a).split()  # noqa: E731
        line = lambda text: xdotool('type', text) + xdotool('key', 'Return')  # noqa: E731
        view = lambda: Path(views).read_text() if os.path.exists(views) else ''  # noqa: E731
        see = lambda done, what: until(lambda: done(view()), lambda: f'{what}: {view()!r}')  # noqa
        keyboard = lambda at: until(lambda: xdotool('getwindowfocus') == [at], lambda: (  # noqa
            f'the keyboard at {at}, not {xdotool("getwindowfocus")}: {view()!r}'))
        windows = lambda: set(xdotool(  # noqa: E731
            'search', '--onlyvisible', '--name', '^Quorvadellix$'))
        term = xdotool('search', '--sync', '--name', '^qvwatch$')[0]
        keyboard(term), xdotool('type', 'g'), see(lambda v: v.endswith('>\n'), "cmd's prompt")
        # Typed with the name, in the console after the help, in the window, at the question.
        for i, (early, late, clicked, then) in enumerate([
                ('', '', 'pk', 'y'), ('kn', '', '', ''), ('', 'k', '', 'n'), ('k', '', '', 'n'),
                ('', 'pk', '', 'n'), ('', '', 'k', 'n')]):
            line('quorvadellix'), see(lambda v: v.endswith('name:\n'), 'the name prompt')
            until(lambda: (w := windows() - {term}) and hex(int(win := max(w, key=int))) in x.run(
                'xprop', '-root', '_NET_CLIENT_LIST'), lambda: 'the window managed')
            win = max(windows() - {term}, key=int)
            self.assertEqual(xdotool('getwindowfocus'), [term])
            line(f'Ann{i}'), xdotool('type', early), see(lambda v: 'HELP M' in v, 'the help')
            xdotool('type', late)
            if clicked:  # as soon as the game plays
                until(lambda: xdotool('mousemove', '--window', win, 9, 9, 'click', '1') or xdotool(
                    'getwindowfocus') == [win], lambda: 'a click', lambda: time.sleep(0.2))
                xdotool('type', clicked)
            if then:
                see(lambda v: v.endswith('(Y/N)?:\n'), 'the question')
                keyboard(term), xdotool('type', then)
            if then == 'y':
                see(lambda v: 'HELP M' in v and 'Over' not in v, 'the next game')
                xdotool('type', 'kn')
            see(lambda v: 'title: Quorvadellix' not in v and v.endswith('>\n'), "cmd's prompt")
            keyboard(term), line(f'echo done{i}')
            see(lambda v: f'cho done{i}\n' in v and v.endswith('>\n'), 'the echo')
            self.assertIn(f'>echo done{i}\ndone{i}\n', view())

    def test_installer(self):  # built beside the zip; silent, in a fresh prefix, over an older one
        prefix, old = (self.enterContext(tempfile.TemporaryDirectory()) for _ in 'ab')
        env = dict(os.environ, WINEPREFIX=prefix)
        run = lambda *a: subprocess.run([os.environ['QV_WINE_RUN'], prefix, *a], env=env,  # noqa
                                        capture_output=True, text=True).stdout
        settle = lambda: subprocess.run(['wineserver', '-w'], env=env)  # noqa: E731 (all ended)
        self.addCleanup(subprocess.run, ['wineserver', '-k'], env=env)
        key, regs = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall', (
            'HKCU', r'HKLM\Software')
        values = lambda: dict(re.findall(r'^    (\w+) +REG_\w+ +(.*?)\r?$', run(  # noqa: E731
            'reg', 'query', key + r'\Quorvadellix'), re.M))
        # The uninstaller runs from a copy in Temp, which goes at the next reboot.
        trace = lambda: [sorted(str(f) for f in Path(prefix).rglob('*') if 'Temp' not in  # noqa
                                f.parts)] + [run('reg', 'query', k, '/s') for k in regs]
        run('wineboot', '--init'), settle()
        before, files = trace(), {n: Path(self.folder, n).read_bytes() for n in os.listdir(
            self.folder)} | {'COPYRIGHT.txt': Path(os.path.dirname(__file__), '../../packaging/'
                             'linux/copyright').read_bytes().replace(b'\n', b'\r\n')}
        shutil.copytree(self.folder, old, dirs_exist_ok=True), Path(old, 'COPYRIGHT.txt').touch()
        subprocess.run(['makensis', '-V1', '-DQV_VERSION=0.9', '-DQV_STAGE=' + old, '-DQV_ICON='
                        + BUILD + '/icons/quorvadellix.ico', '-DQV_OUTPUT=' + old + '/setup.exe',
                        os.path.dirname(__file__) + '/../../packaging/windows/installer.nsi'])
        run(old + '/setup.exe', '/S'), settle()
        self.assertEqual(values()['DisplayVersion'], '0.9')
        run(os.path.dirname(ZIP) + '/quorvadellix-setup-x64.exe', '/S'), settle()
        home = r'C:\users\%s\AppData\Local\Programs\Quorvadellix' % os.environ.get('USER', 'root')
        folder, exe = prefix + '/drive_c' + home[2:].replace('\\', '/'), home + r'\quorvadellix.exe'
        self.assertEqual({n: Path(folder, n).read_bytes() for n in os.listdir(folder)
                          if n != 'uninstall.exe'}, files)
        got = values()
        self.assertEqual(re.findall(r'Uninstall\\(.+)', run('reg', 'query', key)), ['Quorvadellix'])
        self.assertLessEqual(abs(int(got.pop('EstimatedSize'), 16) - sum(
            f.stat().st_size for f in Path(folder).iterdir()) // 1024), 8)
        self.assertEqual(got, {
            'DisplayName': 'Quorvadellix', 'DisplayVersion': '1.0', 'DisplayIcon': exe + ',0',
            'Publisher': 'Quorvadellix developers', 'InstallLocation': home,
            'UninstallString': f'"{home}\\uninstall.exe"', 'NoModify': '0x1', 'NoRepair': '0x1',
            'QuietUninstallString': f'"{home}\\uninstall.exe" /S'})
        links = glob.glob(prefix + '/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu/'
                          'Programs/**/*.lnk', recursive=True)
        self.assertEqual([(os.path.basename(p), shortcut(p)) for p in links],
                         [('Quorvadellix.lnk', (exe, '', home, exe, 0))])
        game = self.game(folder, False, {'WINEPREFIX': prefix},  # as the shortcut starts it
                         [os.environ['QV_WINE_RUN'], prefix, exe], 'Ann\rkykn')
        game.close_input()
        self.assertEqual((game.wait_exit(), game.out), (0, BANNER + two_games('Ann')))
        settle(), run(*got['QuietUninstallString'][1:].split('" '))
        until(lambda: not os.path.exists(folder), lambda: 'the uninstaller'), settle()
        self.assertEqual(trace(), before)

def shortcut(path):
    """A Windows shortcut's target, arguments, working folder, icon file and icon index."""
    data, strings = Path(path).read_bytes(), {}
    word = lambda at, size=4: int.from_bytes(data[at:at + size], 'little')  # noqa: E731
    flags, at = word(20), 76 + ((2 + word(76, 2)) if word(20) & 1 else 0)  # after the item list
    target = data[at + word(at + 16):].split(b'\0')[0].decode('latin-1') if flags & 2 else ''
    at += word(at) if flags & 2 else 0  # the link's own size
    for bit in (4, 8, 16, 32, 64):  # name, relative path, folder, arguments, icon
        if flags & bit:
            size, strings[bit] = 2 + 2 * word(at, 2), data[at + 2:at + 2 + 2 * word(at, 2)]
            at += size
    text = lambda bit: strings.get(bit, b'').decode('utf-16-le').rstrip('\0')  # noqa: E731
    return target, text(32), text(16), text(64), word(56)

if __name__ == '__main__':
    unittest.main()
