#!/usr/bin/env python3
"""The Windows packages, checked as a player meets them, under Wine on a virtual X display.

  check_packages.py startup <zip> <wine prefix>
      Unpacks the zip into a new folder, points the settings beside the program at a folder of
      screenshots over two days, starts the program without any other DLL on Wine's path and
      drives it with the keyboard: the window opens with its caption, the tree lists the days
      (the newest is first), that day's thumbnails are on the screen and no other day's, its first
      screenshot is on the screen pixel for pixel, the fit choice is written to the settings file
      beside the program (Windows line ends, nothing in %APPDATA%), and Ctrl+Q ends the program
      with exit code 0.
  check_packages.py install <setup.exe> <wine prefix> <settings in the user's folder: yes|no>
      Installs silently (/S): the program and its DLLs in Program Files, the Start menu shortcut,
      the uninstaller and its entry; the installed program starts, and its settings go to the
      user's folder (when the build says so); the silent uninstall removes all of it and leaves
      the user's settings.

Waits on outcomes with generous deadlines (Wine's first start on a loaded machine is slow),
never on fixed sleeps. Exits 0 when every step passed, 1 with the reason otherwise.
"""

import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

DEADLINE = 180  # seconds for any one outcome
CAPTION = "Snapvale"


class Failure(Exception):
    pass


def wait_for(what, probe, deadline=DEADLINE):
    """Calls probe until it gives something other than None or False; fails after deadline."""
    end = time.monotonic() + deadline
    while True:
        result = probe()
        if result not in (None, False):
            return result
        if time.monotonic() > end:
            raise Failure(f"gave up waiting for {what}")
        time.sleep(0.2)


# Screenshots: a plain colour of their own with a patch of noise, so that a day's thumbnails show
# as their colours and the picture itself can be found on the screen byte for byte.
class Shot:
    def __init__(self, name, day, colour, seed, width=192, height=144):
        self.name, self.day, self.colour = name, day, colour
        self.width, self.height = width, height
        noise = random.Random(seed)
        self.rows = []  # top to bottom, RGB bytes
        for y in range(height):
            row = bytearray(bytes(colour) * width)
            if height // 3 <= y < 2 * height // 3:
                for x in range(width // 3, 2 * width // 3):
                    row[3 * x : 3 * x + 3] = bytes(noise.randrange(256) for _ in range(3))
            self.rows.append(bytes(row))

    def write_tga(self, path, when):
        # Uncompressed true colour, 24 bits, rows from the bottom up, BGR: the game's own form.
        header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, self.width, self.height, 24, 0)
        with open(path, "wb") as file:
            file.write(header)
            for row in reversed(self.rows):
                bgr = bytearray(row)
                bgr[0::3], bgr[2::3] = row[2::3], row[0::3]
                file.write(bgr)
        os.utime(path, (when, when))


def make_screenshots(folder):
    # Noon in Tokyo (the zone the check gives Wine), far from any day's edge.
    newest_day, older_day = "2026/12/05", "2026/12/01"
    noon = {newest_day: 1796439600, older_day: 1796094000}
    shots = [
        Shot("Shot00001.tga", newest_day, (214, 48, 38), 1),
        Shot("Shot00002.tga", newest_day, (36, 172, 66), 2),
        Shot("Shot00003.tga", newest_day, (44, 70, 204), 3),
        Shot("Shot00004.tga", older_day, (228, 196, 20), 4),
        Shot("Shot00005.tga", older_day, (150, 40, 170), 5),
    ]
    for minute, shot in enumerate(shots):
        shot.write_tga(os.path.join(folder, shot.name), noon[shot.day] + 60 * minute)
    return newest_day, shots


class Screen:
    """An Xvfb display whose frame buffer is readable as a file (-fbdir)."""

    def __init__(self, workdir):
        self.fbdir = os.path.join(workdir, "screen")
        os.mkdir(self.fbdir)
        read, write = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-fbdir",
             self.fbdir, "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        self.display = ":" + number

    def rows(self):
        """The screen as rows of RGB bytes."""
        with open(os.path.join(self.fbdir, "Xvfb_screen0"), "rb") as file:
            data = file.read()
        field = struct.unpack(">25I", data[:100])
        header_size, width, height = field[0], field[4], field[5]
        bits_per_pixel, bytes_per_line, colours = field[11], field[12], field[19]
        if bits_per_pixel != 32 or field[7] != 0:  # 32-bit pixels, least significant byte first
            raise Failure("unexpected frame buffer format")
        start = header_size + 12 * colours
        rows = []
        for y in range(height):
            line = data[start + y * bytes_per_line : start + y * bytes_per_line + 4 * width]
            rgb = bytearray(3 * width)
            rgb[0::3], rgb[1::3], rgb[2::3] = line[2::4], line[1::4], line[0::4]
            rows.append(bytes(rgb))
        return rows

    def close(self):
        self.server.terminate()
        self.server.wait()


def find_picture(screen_rows, shot):
    """Where the whole picture is on the screen, pixel for pixel, or None."""
    first = shot.rows[0]
    for top in range(len(screen_rows) - shot.height + 1):
        at = screen_rows[top].find(first)
        while at >= 0:
            if at % 3 == 0 and all(
                screen_rows[top + y][at : at + len(first)] == shot.rows[y]
                for y in range(1, shot.height)
            ):
                return at // 3, top
            at = screen_rows[top].find(first, at + 1)
    return None


def has_patch_of(screen_rows, colour, size=12):
    """Whether a size x size square of exactly this colour is on the screen."""
    run = bytes(colour) * size
    heights = {}  # column -> rows in a row that hold the run there
    for row in screen_rows:
        found = {}
        at = row.find(run)
        while at >= 0:
            if at % 3 == 0:
                found[at] = heights.get(at, 0) + 1
                if found[at] >= size:
                    return True
            at = row.find(run, at + 1)
        heights = found
    return False


def wine_environment(prefix, display):
    env = {k: v for k, v in os.environ.items() if k not in ("WINEPATH", "QT_QPA_PLATFORM",
                                                            "QT_QPA_FONTDIR", "QT_PLUGIN_PATH")}
    env.update(WINEPREFIX=os.path.abspath(prefix), WINEDEBUG="-all", DISPLAY=display, TZ="Asia/Tokyo",
               LC_ALL="C.UTF-8", WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=")
    return env


def start_wine(prefix, display):
    env = wine_environment(prefix, display)
    subprocess.run(["wineserver", "--kill"], env=env, stderr=subprocess.DEVNULL)
    if not os.path.exists(os.path.join(env["WINEPREFIX"], "system.reg")):
        subprocess.run(["wineboot", "--init"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "--persistent"], env=env)
    # Wine's services start with the first program and stay as long as the server: started here,
    # they hold on to no output a check reads.
    subprocess.run(["wineboot"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return env


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def xdotool(env, *args):
    return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True).stdout


def window_named(env, pattern):
    ids = xdotool(env, "search", "--onlyvisible", "--name", pattern).split()
    return ids[0] if ids else None


def caption_of(env, window):
    return xdotool(env, "getwindowname", window).rstrip("\n")


def press(env, window, key):
    xdotool(env, "windowfocus", "--sync", window)
    xdotool(env, "key", "--clearmodifiers", key)


def wait_for_caption(env, window, expected):
    seen = []

    def probe():
        seen[:] = [caption_of(env, window)]
        return seen[0] == expected

    try:
        wait_for(f"the caption {expected!r}", probe)
    except Failure:
        raise Failure(f"the caption is {seen[0]!r}, not {expected!r}")


def run_program(program, settings_folder, env, workdir, screen, shots, newest_day):
    """Starts the program, walks from the tree to a day and its first picture, sets the fit
    choice and ends with Ctrl+Q. Returns nothing; raises Failure on the first fault."""
    log = open(os.path.join(workdir, "program.log"), "w")
    process = subprocess.Popen(["wine", program], env=env, stdout=log, stderr=log)
    try:
        window = wait_for("the main window", lambda: window_named(env, "^" + CAPTION + "$"))
        print(f"  window {CAPTION!r} open")

        # Down from the root: the newest day, whose thumbnails show.
        press(env, window, "Down")
        wait_for_caption(env, window, f"{CAPTION} - {newest_day}")
        day = [s for s in shots if s.day == newest_day]
        others = [s for s in shots if s.day != newest_day]
        wait_for("the day's thumbnails",
                 lambda: (lambda rows: all(has_patch_of(rows, s.colour) for s in day))(screen.rows()))
        rows = screen.rows()
        if any(has_patch_of(rows, s.colour) for s in others):
            raise Failure("another day's thumbnails are on the screen")
        print(f"  the tree's first day is {newest_day}; its {len(day)} thumbnails are shown")

        # Down again: the day's first screenshot, at full size.
        press(env, window, "Down")
        shown = wait_for("a screenshot's caption", lambda: next(
            (s for s in day if caption_of(env, window) == f"{CAPTION} - {s.name}"), None))
        place = wait_for(f"{shown.name} on the screen pixel for pixel",
                         lambda: find_picture(screen.rows(), shown))
        print(f"  {shown.name} is on the screen pixel for pixel at {place}")

        # The fit choice is kept in the settings file at once.
        settings = os.path.join(settings_folder, "Snapvale2.ini")
        press(env, window, "ctrl+f")
        wait_for("the fit choice in the settings file", lambda: os.path.exists(settings) and
                 b"[VIEW]\r\nFIT=1\r\n" in open(settings, "rb").read())

        press(env, window, "ctrl+q")
        code = wait_for("the program to end", lambda: process.poll() is not None and
                        (process.returncode,))[0]
        if code != 0:
            raise Failure(f"the program ended with exit code {code}")
        print("  Ctrl+Q ends it with exit code 0")
    finally:
        if process.poll() is None:
            process.kill()
        log.close()


def check_settings_file(path, folder):
    data = open(path, "rb").read()
    if b"\n" in data.replace(b"\r\n", b"") or b"\r" in data.replace(b"\r\n", b""):
        raise Failure(f"{path} has line ends other than CR LF: {data!r}")
    expected = f"FOLDER={windows_path(folder)}\\\r\n".encode()
    if expected not in data:
        raise Failure(f"{path} lost the folder: {data!r}")


def check_startup(zip_path, prefix):
    workdir = tempfile.mkdtemp(prefix="snapvale-zip-")
    screen = None
    env = None
    try:
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(workdir)
        (top,) = {name.split("/")[0] for name in zipfile.ZipFile(zip_path).namelist()}
        program_folder = os.path.join(workdir, top)
        screenshots = os.path.join(workdir, "スクリーンショット")
        os.mkdir(screenshots)
        newest_day, shots = make_screenshots(screenshots)
        settings = os.path.join(program_folder, "Snapvale2.ini")
        with open(settings, "wb") as file:
            file.write(f"[CONFIG]\r\nFOLDER={windows_path(screenshots)}\\\r\n".encode())

        screen = Screen(workdir)
        env = start_wine(prefix, screen.display)
        appdata_settings = os.path.join(prefix, "drive_c", "users", os.environ.get("USER", "root"),
                                        "AppData", "Roaming", "Snapvale2")
        shutil.rmtree(appdata_settings, ignore_errors=True)
        run_program(windows_path(os.path.join(program_folder, "snapvale2.exe")), program_folder,
                    env, workdir, screen, shots, newest_day)
        check_settings_file(settings, screenshots)
        if os.path.exists(appdata_settings):
            raise Failure("the unpacked program wrote settings into %APPDATA%")
        print("  its settings stay beside it, in CR LF lines")
    finally:
        if env:
            subprocess.run(["wineserver", "--kill"], env=env, stderr=subprocess.DEVNULL)
        if screen:
            screen.close()
        shutil.rmtree(workdir, ignore_errors=True)


def check_install(setup, prefix, settings_in_user_folder):
    workdir = tempfile.mkdtemp(prefix="snapvale-setup-")
    screen = None
    env = None
    try:
        screen = Screen(workdir)
        env = start_wine(prefix, screen.display)
        drive = os.path.join(prefix, "drive_c")
        user = os.environ.get("USER", "root")
        installed = os.path.join(drive, "Program Files", "Snapvale2")
        shortcut = os.path.join(drive, "ProgramData", "Microsoft", "Windows", "Start Menu",
                                "Programs", "Snapvale2.lnk")
        appdata_settings = os.path.join(drive, "users", user, "AppData", "Roaming", "Snapvale2")
        key = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Snapvale2"
        shutil.rmtree(installed, ignore_errors=True)
        shutil.rmtree(appdata_settings, ignore_errors=True)

        result = subprocess.run(["wine", windows_path(setup), "/S"], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                timeout=DEADLINE)
        if result.returncode != 0:
            raise Failure(f"the silent install ended with exit code {result.returncode}")
        for name in ("snapvale2.exe", "Qt6Core.dll", "Qt6Gui.dll", "Qt6Widgets.dll",
                     os.path.join("platforms", "qwindows.dll"), "uninstall.exe"):
            if not os.path.isfile(os.path.join(installed, name)):
                raise Failure(f"the install has no {name}")
        if not os.path.isfile(shortcut):
            raise Failure("the install made no Start menu shortcut")
        entry = subprocess.run(["wine", "reg", "query", key], env=env, capture_output=True,
                               text=True).stdout
        if "uninstall.exe" not in entry:
            raise Failure("the install has no uninstall entry")
        print("  /S installs the program, a Start menu shortcut and an uninstaller")

        # The installed program: it starts, and where it keeps its settings.
        screenshots = os.path.join(workdir, "screenshots")
        os.mkdir(screenshots)
        newest_day, shots = make_screenshots(screenshots)
        settings_folder = appdata_settings if settings_in_user_folder else installed
        os.makedirs(settings_folder, exist_ok=True)
        with open(os.path.join(settings_folder, "Snapvale2.ini"), "wb") as file:
            file.write(f"[CONFIG]\r\nFOLDER={windows_path(screenshots)}\\\r\n".encode())
        run_program(r"C:\Program Files\Snapvale2\snapvale2.exe", settings_folder, env, workdir,
                    screen, shots, newest_day)
        if settings_in_user_folder:
            if os.path.exists(os.path.join(installed, "Snapvale2.ini")):
                raise Failure("the installed program wrote settings into Program Files")
            print("  the installed program keeps its settings in %APPDATA%\\Snapvale2")
        else:
            os.remove(os.path.join(installed, "Snapvale2.ini"))
            print("  (this build keeps the installed program's settings beside it)")

        subprocess.run(["wine", windows_path(os.path.join(installed, "uninstall.exe")), "/S"],
                       env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=DEADLINE)
        # The uninstaller runs from a copy of itself, so the folder goes a moment later.
        wait_for("the uninstall", lambda: not os.path.exists(installed))
        if os.path.exists(shortcut):
            raise Failure("the uninstall left the Start menu shortcut")
        if subprocess.run(["wine", "reg", "query", key], env=env,
                          capture_output=True).returncode == 0:
            raise Failure("the uninstall left its entry")
        if settings_in_user_folder and not os.path.isfile(
                os.path.join(appdata_settings, "Snapvale2.ini")):
            raise Failure("the uninstall removed the user's settings")
        print("  /S uninstalls all of it and leaves the user's settings")
    finally:
        if env:
            subprocess.run(["wineserver", "--kill"], env=env, stderr=subprocess.DEVNULL)
        if screen:
            screen.close()
        shutil.rmtree(workdir, ignore_errors=True)


def main():
    if len(sys.argv) >= 4 and sys.argv[1] == "startup":
        check, args = check_startup, (sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 5 and sys.argv[1] == "install":
        check, args = check_install, (sys.argv[2], sys.argv[3], sys.argv[4] == "yes")
    else:
        print(__doc__, file=sys.stderr)
        return 2
    print(f"{sys.argv[1]}: {os.path.basename(sys.argv[2])}")
    try:
        check(*args)
    except (Failure, subprocess.TimeoutExpired) as failure:
        print(f"FAILED: {failure}")
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
