#!/usr/bin/env python3
"""The installer benchmark: our installer against NSIS and against the floor.

Started by bench/installer/run.sh (which provides an X display); see that script for the
options. It builds what it needs in its own build folders, runs every measurement, prints
one table and writes the same figures to build/bench/installer-bench.json.

A benchmark reports figures; it never fails on a time. It exits non-zero only when it
could not measure (a build or a run broke).
"""

import argparse
import datetime
import hashlib
import json
import os
import platform
import re
import shutil
import signal
import statistics
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(os.path.dirname(HERE))
BUILD = os.path.join(TOP, "build")
OUT = os.path.join(BUILD, "bench")
HOST_BUILD = os.path.join(BUILD, "bench-host")
WIN_BUILD = os.path.join(BUILD, "bench-win64")
WINE_ROOT = os.path.join(OUT, "wine")
WINE_RUN = os.path.join(TOP, "scripts", "wine-run.sh")
MINGW_CXX = "x86_64-w64-mingw32-g++-posix"
SEED = 20260
INSTALL_DIR_REL = os.path.join("drive_c", "Program Files", "QVStampReader")
UNPACK_DEST_WIN = "C:\\QVStampReader"
UNPACK_DEST_REL = os.path.join("drive_c", "QVStampReader")

AIMS = {
    "install": 0.90,   # ours / NSIS, whole silent installation, typical payload
    "extract": 0.80,   # ours / NSIS, extraction engine alone, every payload
    "floor": 1.15,     # ours / floor, host
    "size": 1.15,      # ours / NSIS, whole installer
    "stub_bytes": 2 * 1024 * 1024,
}

LOG = []


def log(msg):
    print(msg, file=sys.stderr, flush=True)


def run(cmd, check=True, quiet=True, **kw):
    """Runs a command; its output goes to the log unless it fails."""
    log("  $ " + " ".join(cmd))
    p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kw)
    if p.returncode != 0 and check:
        sys.stderr.write(p.stdout[-6000:])
        raise RuntimeError(f"command failed ({p.returncode}): {' '.join(cmd)}")
    if not quiet:
        sys.stderr.write(p.stdout)
    return p


def sha256_file(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            h.update(chunk)
    return h.hexdigest()


def tree_digest(root):
    """Digest of a folder's names and bytes, for caching what is made from it."""
    h = hashlib.sha256()
    for dirpath, dirs, files in os.walk(root):
        dirs.sort()
        for n in sorted(files):
            p = os.path.join(dirpath, n)
            h.update(os.path.relpath(p, root).encode("utf-8", "surrogateescape") + b"\0")
            h.update(sha256_file(p).encode())
    return h.hexdigest()


def tree_stats(root):
    files = 0
    size = 0
    for dirpath, _, names in os.walk(root):
        for n in names:
            files += 1
            size += os.path.getsize(os.path.join(dirpath, n))
    return files, size


def read_stamp(path):
    try:
        with open(path) as f:
            return f.read().strip()
    except OSError:
        return None


def write_stamp(path, value):
    with open(path, "w") as f:
        f.write(value + "\n")


def summary(values):
    values = [v for v in values if v is not None]
    if not values:
        return None
    return {"median": statistics.median(values), "min": min(values), "max": max(values),
            "runs": values}


def ratio(a, b):
    if not a or not b or not b["median"]:
        return None
    return a["median"] / b["median"]


# ---------------------------------------------------------------------------------------
# Builds
# ---------------------------------------------------------------------------------------
def cmake_configure(build_dir, *args):
    if os.path.exists(os.path.join(build_dir, "CMakeCache.txt")) and not args:
        return
    run(["cmake", "-S", TOP, "-B", build_dir, "-G", "Ninja", *args])


def cmake_build(build_dir, *targets):
    run(["cmake", "--build", build_dir, "-j", "2", "--target", *targets])


def find_file(root, name):
    for dirpath, _, names in os.walk(root):
        if name in names and "CMakeFiles" not in dirpath:
            return os.path.join(dirpath, name)
    return None


def build_host_packer():
    log("== host packing tool (build/bench-host)")
    cmake_configure(HOST_BUILD)
    cmake_build(HOST_BUILD, "qvpack")
    return os.path.join(HOST_BUILD, "tools", "packer", "qvpack")


def build_win_base(packer):
    """The Windows packing tool and the staged sample payload (the stand-ins)."""
    log("== Windows packing tool and sample payload (build/bench-win64)")
    cmake_configure(WIN_BUILD, f"-DCMAKE_TOOLCHAIN_FILE={TOP}/cmake/toolchain-win64.cmake",
                    f"-DQV_PACKER={packer}", "-DQV_BUILD_TESTS=OFF")
    cmake_build(WIN_BUILD, "qvpack", "qv_sample_payload")
    qvpack_exe = os.path.join(WIN_BUILD, "tools", "packer", "qvpack.exe")
    stage = os.path.join(WIN_BUILD, "payload", "stage")
    if not os.path.isfile(qvpack_exe) or not os.path.isdir(stage):
        raise RuntimeError("the Windows build did not give qvpack.exe and the staged sample payload")
    return qvpack_exe, stage


def build_tools():
    """The runner and the memory probe, compiled straight with the mingw compiler."""
    tools = os.path.join(OUT, "tools")
    os.makedirs(tools, exist_ok=True)
    out = {}
    for name, libs in (("qvrun", ["-lpsapi"]), ("memprobe", []),
                       ("logbench", ["-lcomctl32", "-lgdi32", "-luser32"])):
        src = os.path.join(HERE, name + ".cpp")
        exe = os.path.join(tools, name + ".exe")
        if not os.path.exists(exe) or os.path.getmtime(exe) < os.path.getmtime(src):
            run([MINGW_CXX, "-O2", "-Wall", "-Wextra", "-static", "-static-libgcc",
                 "-static-libstdc++", "-o", exe, src, *libs])
        out[name] = exe
    return out


def deps_dirs():
    """The static Windows builds of liblzma and libcrypto that the project links."""
    cache = os.environ.get("QV_DEPS_CACHE") or "/var/cache/qvsetup-deps"
    dirs = {}
    with open(os.path.join(cache, "deps.env")) as f:
        for line in f:
            k, _, v = line.strip().partition("=")
            dirs[k] = v
    return dirs["QV_LZMA_X86_64"], dirs["QV_CRYPTO_X86_64"]


def build_probes():
    """Small programs whose sizes show what a library costs on its own: nothing (the C and
    C++ runtime), liblzma's raw decoder, SM3 through EVP as the installer does it, and SM3
    from the same libcrypto through its SM3 block functions. Sizes in bytes, stripped."""
    lzma, crypto = deps_dirs()
    out_dir = os.path.join(OUT, "probes")
    os.makedirs(out_dir, exist_ok=True)
    common = ["-O2", "-static", "-static-libgcc", "-static-libstdc++", "-ffunction-sections",
              "-fdata-sections", "-Wl,--gc-sections", "-s"]
    crypto_libs = [os.path.join(crypto, "lib", "libcrypto.a"), "-lbcrypt", "-lws2_32", "-lcrypt32",
                   "-ladvapi32", "-luser32"]
    probes = {
        "empty": [],
        "lzma_raw": ["-DLZMA_API_STATIC", "-I" + os.path.join(lzma, "include"), "@SRC@",
                     os.path.join(lzma, "lib", "liblzma.a")],
        "sm3_evp": ["-I" + os.path.join(crypto, "include"), "@SRC@", *crypto_libs],
        "sm3_direct": ["@SRC@", *crypto_libs],
    }
    sizes = {}
    for name, args in probes.items():
        src = os.path.join(HERE, "probes", name + ".cpp")
        exe = os.path.join(out_dir, name + ".exe")
        if not os.path.exists(exe) or os.path.getmtime(exe) < os.path.getmtime(src):
            args = [src if a == "@SRC@" else a for a in args] or [src]
            run([MINGW_CXX, *common, "-o", exe, *args])
        sizes[name] = os.path.getsize(exe)
    return sizes


def build_ours(profile, payload_dir, packer):
    """Our installer around the benchmark payload, in a build folder of its own, linked
    with a map file so that the stub can be taken apart. Returns the paths, or None with a
    reason when the installer cannot be built for this payload."""
    bdir = f"{WIN_BUILD}-{profile}"
    maps = os.path.join(bdir, "maps")
    os.makedirs(maps, exist_ok=True)
    log(f"== our installer for '{profile}' ({os.path.relpath(bdir, TOP)})")
    try:
        run(["cmake", "-S", TOP, "-B", bdir, "-G", "Ninja",
             f"-DCMAKE_TOOLCHAIN_FILE={TOP}/cmake/toolchain-win64.cmake",
             f"-DQV_PACKER={packer}", f"-DQV_PAYLOAD_DIR={payload_dir}", "-DQV_BUILD_TESTS=OFF",
             f"-DCMAKE_EXE_LINKER_FLAGS=-Wl,-Map={maps}/"])
        cmake_build(bdir, "QVStampSetup")
    except RuntimeError as e:
        return None, f"QVStampSetup could not be built: {e}"
    setup = find_file(bdir, "QVStampSetup.exe")
    if not setup:
        return None, "the build gave no QVStampSetup.exe"
    launcher = None
    try:
        cmake_build(bdir, "QVSetup")
        launcher = find_file(bdir, "QVSetup.exe")
    except RuntimeError as e:
        log(f"  QVSetup could not be built: {e}")
    return {"dir": bdir, "setup": setup, "launcher": launcher,
            "setup_map": os.path.join(maps, "QVStampSetup.exe.map")}, None


# ---------------------------------------------------------------------------------------
# Payloads, blobs and the NSIS installers (cached by what they are made from)
# ---------------------------------------------------------------------------------------
def make_payload(profile, stage):
    pdir = os.path.join(OUT, "payloads", profile)
    stamp_path = pdir + ".stamp"
    stamp = hashlib.sha256((sha256_file(os.path.join(HERE, "gen_payload.py")) + profile + str(SEED)
                            + tree_digest(stage)).encode()).hexdigest()
    if read_stamp(stamp_path) == stamp and os.path.isdir(pdir):
        log(f"== payload '{profile}': up to date")
    else:
        log(f"== payload '{profile}': generating")
        os.makedirs(os.path.dirname(pdir), exist_ok=True)
        p = run([sys.executable, os.path.join(HERE, "gen_payload.py"), "--profile", profile,
                 "--seed", str(SEED), "--standins", stage, pdir])
        with open(pdir + ".json", "w") as f:
            f.write(p.stdout)
        write_stamp(stamp_path, stamp)
    return pdir, stamp


def pack_payload(profile, pdir, pstamp, packer):
    bdir = os.path.join(OUT, "blobs", profile)
    stamp_path = bdir + ".stamp"
    stamp = pstamp + ":" + sha256_file(packer)
    if read_stamp(stamp_path) == stamp and os.path.isfile(os.path.join(bdir, "stream.blob")):
        log(f"== blobs '{profile}': up to date")
        return bdir, None
    log(f"== blobs '{profile}': packing with the host qvpack")
    shutil.rmtree(bdir, ignore_errors=True)
    os.makedirs(bdir)
    t0 = time.perf_counter()
    run([packer, "pack", pdir, bdir])
    secs = time.perf_counter() - t0
    write_stamp(stamp_path, stamp)
    return bdir, secs


def make_nsis(name, mode, pdir, pstamp):
    ndir = os.path.join(OUT, "nsis")
    os.makedirs(ndir, exist_ok=True)
    script = os.path.join(ndir, name + ".nsi")
    exe = os.path.join(ndir, name + ".exe")
    args = [sys.executable, os.path.join(HERE, "gen_nsis.py"), "--mode", mode, "--outfile", exe]
    if pdir:
        args += ["--payload", pdir]
    run(args + [script])
    ver = run(["makensis", "-VERSION"]).stdout.strip()
    stamp = hashlib.sha256((sha256_file(script) + (pstamp or "") + ver).encode()).hexdigest()
    if read_stamp(exe + ".stamp") == stamp and os.path.isfile(exe):
        log(f"== NSIS {name}: up to date")
        return exe, None
    log(f"== NSIS {name}: makensis")
    t0 = time.perf_counter()
    run(["makensis", "-V2", script], env=dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8"))
    secs = time.perf_counter() - t0
    write_stamp(exe + ".stamp", stamp)
    return exe, secs


# ---------------------------------------------------------------------------------------
# Running under Wine
# ---------------------------------------------------------------------------------------
class ProcWatch(threading.Thread):
    """Follows one Windows process from the host: the Linux process whose command line names
    `exe_name` and whose environment holds our WINEPREFIX. Keeps its CPU time (utime +
    stime, all threads) and peak resident size (VmHWM) as last read, since Wine does not
    report a child's CPU time."""

    def __init__(self, exe_name, prefix):
        super().__init__(daemon=True)
        self.exe = exe_name.lower().encode()
        self.env = b"WINEPREFIX=" + prefix.encode()
        self.stop = threading.Event()
        self.cpu_ms = None
        self.hwm = None
        self.pid = None
        self.tick = os.sysconf("SC_CLK_TCK")

    def _find(self, first_seen):
        # A new Wine process starts as the loader and takes its Windows command line a
        # moment later, so a process is looked at again during its first seconds.
        now = time.monotonic()
        for d in os.listdir("/proc"):
            if not d.isdigit():
                continue
            t = first_seen.setdefault(d, now)
            if now - t > 5:
                continue
            try:
                with open(f"/proc/{d}/cmdline", "rb") as f:
                    argv0 = f.read().split(b"\0", 1)[0].lower()
                # Wine names a Windows process after its image path (argv[0]).
                if not (argv0.endswith(b"\\" + self.exe) or argv0.endswith(b"/" + self.exe)
                        or argv0 == self.exe):
                    continue
                with open(f"/proc/{d}/environ", "rb") as f:
                    env = f.read().split(b"\0")
                if self.env in env:
                    return int(d)
            except OSError:
                pass
        return None

    def run(self):
        # Processes that ran before the program was started are not it.
        first_seen = {d: float("-inf") for d in os.listdir("/proc") if d.isdigit()}
        while not self.stop.is_set() and self.pid is None:
            self.pid = self._find(first_seen)
            if self.pid is None:
                time.sleep(0.01)
        while self.pid is not None:
            try:
                with open(f"/proc/{self.pid}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                self.cpu_ms = (int(fields[11]) + int(fields[12])) * 1000.0 / self.tick
                with open(f"/proc/{self.pid}/status") as f:
                    for line in f:
                        if line.startswith("VmHWM:"):
                            self.hwm = int(line.split()[1]) * 1024
            except (OSError, IndexError, ValueError):
                break
            time.sleep(0.02)


QVRUN_RE = re.compile(r"qvrun: wall_ms=([\d.]+) exit_code=(\d+) user_ms=([-\d.]+) kernel_ms=([-\d.]+) "
                      r"peak_ws=(\d+) peak_private=(\d+) samples=(\d+)")


class WineRunner:
    def __init__(self, tools, settle_ms, timeout):
        self.tools = tools
        self.settle_ms = settle_ms
        self.timeout = timeout

    def prefix(self, name):
        return os.path.join(WINE_ROOT, name)

    def run(self, label, exe, args, prefix_name="run"):
        """Runs exe under qvrun in a fresh prefix. Returns the figures."""
        prefix = self.prefix(prefix_name)
        env = dict(os.environ, QV_WINE_ROOT=WINE_ROOT, QV_FRESH_PREFIX=prefix_name)
        cmd = [WINE_RUN, self.tools["qvrun"], "--settle", str(self.settle_ms), "--poll", "20", exe, *args]
        watch = ProcWatch(os.path.basename(exe), prefix)
        watch.start()
        t0 = time.perf_counter()
        p = subprocess.Popen(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                             start_new_session=True)
        try:
            out, err = p.communicate(timeout=self.timeout)
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix))
            out, err = p.communicate()
            watch.stop.set()
            raise RuntimeError(f"{label}: no end after {self.timeout} s (a message box waiting?)")
        host_s = time.perf_counter() - t0
        watch.stop.set()
        watch.join(2)
        m = QVRUN_RE.search(out)
        if not m:
            raise RuntimeError(f"{label}: the runner reported nothing (exit {p.returncode}):\n{out}\n{err[-3000:]}")
        return {
            "wall_ms": float(m.group(1)),
            "exit_code": int(m.group(2)),
            "peak_ws": int(m.group(5)),
            "peak_private": int(m.group(6)),
            "cpu_ms": watch.cpu_ms,
            "host_hwm": watch.hwm,
            "host_s": host_s,
            "prefix": prefix,
        }


def prepare_template(runner, keep_wm_waits):
    """Boots the template prefix that every run is cloned from (scripts/wine-run.sh does
    that on its first run) and, unless keep_wm_waits, tells Wine's X11 driver not to hand
    windows to a window manager. Xvfb runs none, and Wine then waits 2 s for every managed
    window that is hidden or destroyed (the note window, the setup window) until it gives
    up: a cost of this machine that Windows does not have."""
    runner.run("template", runner.tools["memprobe"], ["1", "0"])
    template = os.path.join(WINE_ROOT, "template")
    mark = os.path.join(template, ".qv-bench-unmanaged")
    if keep_wm_waits:
        if os.path.exists(mark):
            raise RuntimeError(f"the template prefix {template} was set up without window-manager waits; "
                               "remove it to measure with them")
        return
    if os.path.exists(mark):
        return
    env = dict(os.environ, WINEPREFIX=template, WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    run(["wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/t", "REG_SZ",
         "/d", "N", "/f"], env=env)
    run(["wineserver", "-w"], env=env)
    with open(mark, "w") as f:
        f.write("Managed=N\n")


CONTROLS = ("docrenderocx", "ConvertSeal", "ReadKeyInfo", "SealViews")


def check_same_work(label, prefix):
    """The installation left what both installers are to leave: the four control markers
    (regsvr32), the registry scripts' key (regedit), ZuduSetup.exe's record, the uninstall
    entry, the association's open command and the three shortcuts."""
    problems = []
    try:
        with open(os.path.join(prefix, "system.reg"), encoding="utf-8", errors="replace") as f:
            reg = f.read()
    except OSError:
        return f"{label}: no registry in {prefix}"
    for c in CONTROLS:
        if f"[Software\\\\QVStampSample\\\\Controls\\\\{c}]" not in reg:
            problems.append(f"control {c} not registered")
    if "[Software\\\\QVStampSample\\\\Scripts]" not in reg:
        problems.append("registry scripts not imported")
    if '"UninstallString"' not in reg:
        problems.append("no UninstallString")
    if "[Software\\\\Classes\\\\.esdf\\\\shell\\\\open\\\\command]" not in reg:
        problems.append("no .esdf open command")
    if not os.path.isfile(os.path.join(prefix, "drive_c", "ProgramData", "QVStampSample", "zudusetup.txt")):
        problems.append("ZuduSetup.exe did not run")
    links = [os.path.join(prefix, "drive_c", "users", "Public", "Desktop", "Qelvo电子印章阅读器.lnk"),
             os.path.join(prefix, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                          "OstraQelvo", "Qelvo电子印章阅读器.lnk"),
             os.path.join(prefix, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                          "OstraQelvo", "卸载Qelvo电子印章.lnk")]
    missing = [os.path.basename(p) for p in links if not os.path.isfile(p)]
    if missing:
        problems.append("missing shortcuts " + ", ".join(missing))
    return f"{label}: " + "; ".join(problems) if problems else None


def check_tree(label, got_dir, want_files, want_bytes, extra_files=0):
    """The run did its work: the folder holds as many files and bytes as the payload."""
    if not os.path.isdir(got_dir):
        return f"{label}: {got_dir} was not created"
    files, size = tree_stats(got_dir)
    if files < want_files + extra_files or size < want_bytes:
        return (f"{label}: {files} files / {size} bytes in {got_dir}, expected "
                f"{want_files + extra_files} files / at least {want_bytes} bytes")
    return None


# ---------------------------------------------------------------------------------------
# The host floor
# ---------------------------------------------------------------------------------------
def timed_host(cmd, env=None):
    t0 = time.perf_counter()
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    _, status, ru = os.wait4(p.pid, 0)
    wall = time.perf_counter() - t0
    p.returncode = os.waitstatus_to_exitcode(status)
    err = p.stderr.read().decode(errors="replace")
    p.stderr.close()
    if p.returncode != 0:
        raise RuntimeError(f"{' '.join(cmd)} failed ({p.returncode}): {err[-2000:]}")
    return {"wall_ms": wall * 1000, "cpu_ms": (ru.ru_utime + ru.ru_stime) * 1000,
            "peak_rss": ru.ru_maxrss * 1024}


def host_floor_runs(profile, blobs, packer, runs):
    work = os.path.join(OUT, "host", profile)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    tmp = os.path.join(work, "tmp")
    os.makedirs(tmp)
    stream = os.path.join(blobs, "stream.blob")
    floor_out = os.path.join(work, "floor.bin")
    floor_cmd = ["sh", "-c", 'xz --decompress --format=lzma -c "$1" > "$2" && openssl dgst -sm3 "$2" >/dev/null',
                 "floor", stream, floor_out]
    dest = os.path.join(work, "unpack")
    env = dict(os.environ, TMPDIR=tmp)
    ours_cmd = [packer, "unpack", blobs, dest]

    def clean():
        for p in (floor_out, dest):
            if os.path.isdir(p):
                shutil.rmtree(p)
            elif os.path.exists(p):
                os.remove(p)
        for n in os.listdir(tmp):
            p = os.path.join(tmp, n)
            shutil.rmtree(p) if os.path.isdir(p) else os.remove(p)

    res = {"floor": [], "ours": []}
    log(f"== host floor '{profile}': {runs} runs each, alternating (one warm-up each)")
    for r in range(runs + 1):
        order = [("floor", floor_cmd, None), ("ours", ours_cmd, env)]
        if r % 2:
            order.reverse()
        for name, cmd, e in order:
            clean()
            subprocess.run(["sync"])
            fig = timed_host(cmd, e)
            if r > 0:
                res[name].append(fig)
    clean()
    return res


# ---------------------------------------------------------------------------------------
# Sizes
# ---------------------------------------------------------------------------------------
def resources_by_id(exe, type_name):
    """Sizes of the resources of one named type in a program, by integer id."""
    import pefile
    pe = pefile.PE(exe, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    by_id = {}
    for t in getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None).entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []:
        if t.name is None or str(t.name).upper() != type_name.upper():
            continue
        for e in t.directory.entries:
            for lang in e.directory.entries:
                by_id[e.id] = by_id.get(e.id, 0) + lang.data.struct.Size
    pe.close()
    return by_id


def orx_resource_bytes(exe):
    by_id = resources_by_id(exe, "ORX")
    return sum(by_id.values()), by_id


def stripped_size(exe):
    tmp = os.path.join(OUT, "tmp-strip.exe")
    run(["x86_64-w64-mingw32-strip", "-o", tmp, exe])
    size = os.path.getsize(tmp)
    os.remove(tmp)
    return size


LIB_GROUPS = [
    (re.compile(r"liblzma\.a"), "liblzma"),
    (re.compile(r"libcrypto\.a"), "libcrypto"),
    (re.compile(r"lib(std|sup)c\+\+\.a"), "libstdc++"),
    (re.compile(r"libwinpthread\.a|libpthread\.a"), "winpthreads"),
    (re.compile(r"lib(gcc|gcc_eh|mingw32|mingwex|msvcrt|moldname|mingwthrd)\.a|crt2\.o|crtbegin\.o|crtend\.o|dllcrt2\.o"),
     "C runtime (mingw-w64, libgcc)"),
    (re.compile(r"/installer/package/|libqv_package\.a"), "our package code"),
    (re.compile(r"/installer/system/|libqv_system\.a"), "our system code"),
    (re.compile(r"/installer/app/|libqv_installer"), "our installer app"),
    (re.compile(r"/framework/|libqv_framework\.a"), "our dialog framework"),
    (re.compile(r"/lib/lib[a-z0-9_]+\.a\("), "Windows import stubs"),
]


def map_costs(map_path):
    """Bytes of each library in the loaded sections of a linked program, from its map."""
    costs = {}
    sections = {}
    if not map_path or not os.path.isfile(map_path):
        return None
    in_map = False
    out_sec = None
    pending = None
    sec_re = re.compile(r"^ (\S+)\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$")
    cont_re = re.compile(r"^\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$")
    out_re = re.compile(r"^(\S+)\s+0x[0-9a-fA-F]+\s+0x([0-9a-fA-F]+)")
    with open(map_path, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if not in_map:
                in_map = line.startswith("Linker script and memory map")
                continue
            m = out_re.match(line)
            if m:
                out_sec = m.group(1)
                pending = None
                continue
            if re.match(r"^\S", line):
                out_sec = line.split()[0]
                pending = None
                continue
            if out_sec is None or out_sec.startswith(".debug") or out_sec in ("/DISCARD/", ".bss"):
                continue
            m = sec_re.match(line)
            if m:
                size, origin = int(m.group(3), 16), m.group(4)
            else:
                m2 = cont_re.match(line) if pending else None
                if not m2:
                    m3 = re.match(r"^ (\S+)$", line)
                    pending = m3.group(1) if m3 else None
                    continue
                size, origin = int(m2.group(2), 16), m2.group(3)
            pending = None
            if size == 0 or origin.startswith("load address"):
                continue
            group = "other (linker, unmatched)"
            if out_sec == ".rsrc":
                group = "package blobs (ORX resources)" if re.search(r"package\.r", origin) else "UI resources (dialogs, icon, picture, manifest)"
            else:
                for rx, g in LIB_GROUPS:
                    if rx.search(origin):
                        group = g
                        break
            costs[group] = costs.get(group, 0) + size
            sections.setdefault(group, {})
            sections[group][out_sec] = sections[group].get(out_sec, 0) + size
    return {"bytes": costs, "sections": sections}


# ---------------------------------------------------------------------------------------
# Report
# ---------------------------------------------------------------------------------------
def fmt_s(ms):
    return f"{ms / 1000:.2f} s" if ms is not None else "-"


def fmt_mb(b):
    return f"{b / 1048576:.1f} MiB" if b is not None else "-"


def fmt_spread(s, f):
    return f"{f(s['min'])} - {f(s['max'])}" if s else "-"


def verdict(r, aim):
    if r is None:
        return "-"
    return "met" if r <= aim else "NOT met"


def machine_info():
    cpu = "unknown"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    wine = run(["wine", "--version"], check=False).stdout.strip().splitlines()
    wine = [w for w in wine if w.startswith("wine-")]
    return {
        "nproc": os.cpu_count(),
        "cpu": cpu,
        "kernel": platform.release(),
        "wine": wine[0] if wine else "unknown",
        "makensis": run(["makensis", "-VERSION"], check=False).stdout.strip(),
        "xz": run(["xz", "--version"], check=False).stdout.splitlines()[0],
        "openssl": run(["openssl", "version"], check=False).stdout.strip(),
        "load_at_start": os.getloadavg(),
    }


def print_report(rep):
    m = rep["machine"]
    print()
    print(f"Installer benchmark, {rep['date']}  ({m['nproc']} CPUs, {m['cpu']}, {m['wine']}, "
          f"load {m['load_at_start'][0]:.1f} at start, {rep['load_at_end'][0]:.1f} at end)")
    print(f"runs per figure: {rep['runs']}, large payload under Wine {rep.get('large_runs')} without warm-up "
          "(medians; min - max; Wine runs alternate and each uses a fresh prefix)")
    for prof, p in rep["profiles"].items():
        pl = p["payload"]
        print()
        print(f"[{prof}] {pl['files']} files, {fmt_mb(pl['bytes'])}; index blob {pl['index_blob']} B, "
              f"stream blob {fmt_mb(pl['stream_blob'])}")
        hdr = f"  {'':44} {'median':>9} {'min - max':>19} {'CPU':>9} {'peak WS':>10} {'private':>10}"
        for key, title, aim_key, rows in (
                ("install", "whole silent installation, same work (wine64)", "install",
                 (("ours", "ours  QVStampSetup.exe -s"), ("nsis", "NSIS  /S"))),
                ("extract", "extraction engine alone (wine64)", "extract",
                 (("ours", "ours  qvpack.exe unpack"), ("nsis", "NSIS  extract-only /S"))),
                ("floor", "the floor (host)", "floor",
                 (("ours", "ours  qvpack unpack"), ("floor", "xz -d + openssl sm3 + write")))):
            sec = p.get(key)
            print(f"  {title}")
            if not sec or sec.get("skipped"):
                print(f"    not measured: {sec.get('skipped') if sec else 'skipped'}")
                continue
            print(hdr)
            for k, name in rows:
                f = sec.get(k)
                if not f:
                    print(f"    {name:42} -")
                    continue
                mem = f.get("peak_ws") or f.get("peak_rss")
                print(f"    {name:42} {fmt_s(f['wall_ms']['median']):>9} {fmt_spread(f['wall_ms'], fmt_s):>19} "
                      f"{fmt_s(f['cpu_ms']['median']) if f.get('cpu_ms') else '-':>9} "
                      f"{fmt_mb(mem['median']) if mem else '-':>10} "
                      f"{fmt_mb(f['peak_private']['median']) if f.get('peak_private') else '-':>10}")
            r = sec.get("ratio")
            aim = AIMS[aim_key]
            if r is not None:
                applies = key != "install" or prof == "typical"
                print(f"    ratio ours/{'floor' if key == 'floor' else 'NSIS'} {r:.2f}   (CPU {sec.get('cpu_ratio') or 0:.2f})"
                      f"   aim <= {aim:.2f}: {verdict(r, aim) if applies else 'n/a (aim is for typical)'}")
            for w in sec.get("warnings", []):
                print(f"    ! {w}")
        lb = p.get("log_box")
        if lb and lb.get("settext"):
            parts = [f"{name} {fmt_s(lb[k]['median'])}" for k, name in (
                ("settext", "whole text set again (as now)"), ("replacesel", "line inserted (EM_REPLACESEL)"),
                ("none", "progress bar only")) if lb.get(k)]
            print(f"  the setup window's log, {lb['lines']} lines from a worker thread (logbench): " + "; ".join(parts))
        s = p.get("sizes")
        if s:
            print("  sizes")
            for k, title in (("setup", "ours  QVStampSetup.exe"), ("setup_stripped", "ours  QVStampSetup.exe, stripped"),
                             ("launcher", "ours  QVSetup.exe (shipped)"),
                             ("launcher_without_redist", "ours  QVSetup.exe without the redistributable"),
                             ("nsis", "NSIS  full installer")):
                if s.get(k) is not None:
                    print(f"    {title:44} {s[k]:>12,} B  {fmt_mb(s[k]):>10}")
            if s.get("ratio") is not None:
                print(f"    ratio QVStampSetup/NSIS {s['ratio']:.3f}   aim <= {AIMS['size']:.2f}: {verdict(s['ratio'], AIMS['size'])}")
            if s.get("launcher_ratio") is not None:
                print(f"    ratio QVSetup (without redistributable)/NSIS {s['launcher_ratio']:.3f}")
            for w in s.get("warnings", []):
                print(f"    ! {w}")
    st = rep.get("stub")
    if st:
        print()
        print("stub (installer without its package)")
        for k, title in (("ours", "ours  QVStampSetup.exe minus its ORX resources"),
                         ("ours_stripped", "ours  the same, stripped of symbols"),
                         ("nsis", "NSIS  empty installer")):
            if st.get(k) is not None:
                print(f"    {title:52} {st[k]:>10,} B  {st[k] / 1024:8.0f} KiB")
        if st.get("ours_stripped") is not None:
            print(f"    aim below {AIMS['stub_bytes'] // 1048576} MiB (stripped, as shipped): "
                  f"{'met' if st['ours_stripped'] < AIMS['stub_bytes'] else 'NOT met'};"
                  f" ours/NSIS {st['ours_stripped'] / st['nsis']:.1f}x")
        lib = st.get("libraries")
        if lib:
            print("    what each part costs in the loaded sections (link map):")
            total = sum(v for k, v in lib.items() if not k.startswith("package blobs"))
            for k, v in sorted(lib.items(), key=lambda kv: -kv[1]):
                if k.startswith("package blobs"):
                    continue
                print(f"      {k:48} {v:>10,} B  {v / 1024:8.0f} KiB  {100 * v / total:5.1f} %")
            print(f"      {'total':48} {total:>10,} B  {total / 1024:8.0f} KiB")
        pb = st.get("probes")
        if pb:
            base = pb["empty"]
            print("    size probes (stripped programs; growth over an empty program):")
            for k, title in (("empty", "an empty program (C and C++ runtime)"),
                             ("lzma_raw", "liblzma raw LZMA1 decoder"),
                             ("sm3_evp", "SM3 through EVP_MD_fetch (as the installer does)"),
                             ("sm3_direct", "SM3 through ossl_sm3_* of the same libcrypto")):
                if k in pb:
                    extra = "" if k == "empty" else f"  +{(pb[k] - base) / 1024:7.0f} KiB"
                    print(f"      {title:52} {pb[k]:>10,} B{extra}")
    if rep.get("memory_check"):
        mc = rep["memory_check"]
        print()
        print(f"memory probe: {mc['allocated_mib']} MiB touched reads as peak WS {fmt_mb(mc['peak_ws'])} "
              f"(baseline {fmt_mb(mc['baseline_ws'])}), host VmHWM {fmt_mb(mc.get('host_hwm'))}")
    growth = rep.get("growth")
    if growth:
        print()
        print("growth typical -> large (median peak working set; wall time)")
        for k, v in growth.items():
            print(f"    {k:44} {v}")
    for w in rep.get("warnings", []):
        print(f"! {w}")
    print()
    print(f"figures: {os.path.relpath(rep['json'], TOP)}")


# ---------------------------------------------------------------------------------------
def fig_summary(figs, keys=("wall_ms", "cpu_ms", "peak_ws", "peak_private", "host_hwm", "peak_rss")):
    out = {}
    for k in keys:
        vals = [f.get(k) for f in figs]
        if any(v is not None for v in vals):
            out[k] = summary(vals)
    return out


def measure_wine_pair(runner, label, a, b, runs, checks, warm_up=True):
    """Alternates a and b (each (name, exe, args)) `runs` times, after one warm-up each
    unless warm_up is false; `checks` tells, per name, what a run left undone. Returns the
    figures of each and warnings."""
    res = {a[0]: [], b[0]: []}
    warnings = []
    log(f"== {label}: {runs} runs each, alternating{' (one warm-up each)' if warm_up else ''}")
    for r in range(0 if warm_up else 1, runs + 1):
        order = [a, b] if r % 2 == 0 else [b, a]
        for name, exe, args in order:
            fig = runner.run(f"{label} {name}", exe, args)
            problem = checks[name](fig["prefix"])
            if problem:
                warnings.append(f"run {r} {problem}")
            if fig["exit_code"] != 0:
                warnings.append(f"run {r} {name}: exit code {fig['exit_code']}")
            log(f"  {name:5} run {r}{' (warm-up)' if r == 0 else ''}: {fig['wall_ms'] / 1000:.2f} s, "
                f"CPU {((fig['cpu_ms'] or 0) / 1000):.2f} s, peak WS {fig['peak_ws'] / 1048576:.1f} MiB")
            if r > 0:
                res[name].append(fig)
    return res, warnings


LOGBENCH_RE = re.compile(r"logbench: method=(\S+) lines=(\d+) wall_ms=([\d.]+)")


def measure_log_box(runner, lines, runs):
    """logbench: the log line and progress step of every installed file, done as the setup
    window does it (the whole text read and set again) against inserting the line alone."""
    res = {"lines": lines}
    log(f"== log box: {lines} lines, {runs} runs of each way")
    for r in range(runs):
        for method in ("settext", "replacesel", "none"):
            env = dict(os.environ, QV_WINE_ROOT=WINE_ROOT, QV_FRESH_PREFIX="run")
            p = run([WINE_RUN, runner.tools["logbench"], method, str(lines)], env=env, check=False)
            m = LOGBENCH_RE.search(p.stdout)
            if m:
                res.setdefault(method, []).append(float(m.group(3)))
                log(f"  {method:10} run {r + 1}: {float(m.group(3)) / 1000:.2f} s")
    for method in ("settext", "replacesel", "none"):
        if method in res:
            res[method] = summary(res[method])
    return res


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--quick", action="store_true", help="typical payload only, 3 runs")
    ap.add_argument("--runs", type=int)
    ap.add_argument("--profile", action="append", choices=["typical", "large"])
    ap.add_argument("--large-runs", type=int, default=3,
                    help="runs per figure under Wine for the large payload, without warm-up (default 3)")
    ap.add_argument("--settle-ms", type=int, default=1500)
    ap.add_argument("--no-wine", action="store_true", help="host figures and sizes only")
    ap.add_argument("--wm-waits", action="store_true",
                    help="keep Wine's waits for a window manager (Xvfb has none; 2 s per window closed)")
    a = ap.parse_args()
    profiles = a.profile or (["typical"] if a.quick else ["typical", "large"])
    runs = a.runs or (3 if a.quick else 5)
    os.makedirs(OUT, exist_ok=True)

    rep = {"date": datetime.datetime.now().astimezone().isoformat(timespec="seconds"),
           "machine": machine_info(), "runs": runs, "large_runs": max(1, min(runs, a.large_runs)), "aims": AIMS, "profiles": {}, "warnings": []}

    packer = build_host_packer()
    qvpack_exe, stage = build_win_base(packer)
    tools = build_tools()
    nsis_empty, _ = make_nsis("empty", "empty", None, None)
    runner = WineRunner(tools, a.settle_ms, timeout=1800)

    if not a.no_wine:
        prepare_template(runner, a.wm_waits)
        rep["wine_managed_windows"] = bool(a.wm_waits)
        # The memory figures read under Wine, checked against a known allocation.
        base = runner.run("memprobe", tools["memprobe"], ["1", "300"])
        big = runner.run("memprobe", tools["memprobe"], ["200", "300"])
        rep["memory_check"] = {"allocated_mib": 200, "peak_ws": big["peak_ws"], "baseline_ws": base["peak_ws"],
                               "host_hwm": big["host_hwm"]}

    stub_done = False
    for prof in profiles:
        pr = {}
        rep["profiles"][prof] = pr
        pdir, pstamp = make_payload(prof, stage)
        files, size = tree_stats(pdir)
        blobs, pack_s = pack_payload(prof, pdir, pstamp, packer)
        pr["payload"] = {"files": files, "bytes": size,
                         "index_blob": os.path.getsize(os.path.join(blobs, "index.blob")),
                         "stream_blob": os.path.getsize(os.path.join(blobs, "stream.blob")),
                         "dir": pdir}
        if pack_s is not None:
            pr["payload"]["qvpack_pack_s"] = pack_s
        nsis_full, mk_full = make_nsis(f"full-{prof}", "full", pdir, pstamp)
        nsis_extract, _ = make_nsis(f"extract-{prof}", "extract", pdir, pstamp)
        if mk_full is not None:
            pr["payload"]["makensis_s"] = mk_full
        ours, why = build_ours(prof, pdir, packer)
        if ours:
            orx, orx_ids = orx_resource_bytes(ours["setup"])
            want = os.path.getsize(os.path.join(blobs, "stream.blob"))
            if orx_ids.get(130) != want:
                why = (f"the built QVStampSetup.exe carries a stream blob of {orx_ids.get(130)} bytes, not the "
                       f"benchmark payload's {want} (is QV_PAYLOAD_DIR wired in?)")
                ours = None
        if why:
            rep["warnings"].append(f"{prof}: {why}")
            log(f"  ! {why}")

        # Floor on the host.
        h = host_floor_runs(prof, blobs, packer, runs)
        pr["floor"] = {"ours": fig_summary(h["ours"]), "floor": fig_summary(h["floor"])}
        pr["floor"]["ratio"] = ratio(pr["floor"]["ours"]["wall_ms"], pr["floor"]["floor"]["wall_ms"])
        pr["floor"]["cpu_ratio"] = ratio(pr["floor"]["ours"]["cpu_ms"], pr["floor"]["floor"]["cpu_ms"])

        wine_runs = runs if prof == "typical" else max(1, min(runs, a.large_runs))
        warm_up = prof == "typical"
        runner.timeout = 900 if prof == "typical" else 4 * 3600
        if not a.no_wine:
            inst_rel = INSTALL_DIR_REL
            checks = {
                "ours": lambda pfx: check_tree("ours", os.path.join(pfx, inst_rel), files, size, 1)
                or check_same_work("ours", pfx),
                "nsis": lambda pfx: check_tree("NSIS", os.path.join(pfx, inst_rel), files, size, 1)
                or check_same_work("NSIS", pfx),
            }
            if ours:
                res, warns = measure_wine_pair(runner, f"{prof}: whole installation",
                                               ("ours", ours["setup"], ["-s"]),
                                               ("nsis", nsis_full, ["/S"]), wine_runs, checks, warm_up)
                pr["install"] = {"ours": fig_summary(res["ours"]), "nsis": fig_summary(res["nsis"]),
                                 "warnings": warns}
                pr["install"]["ratio"] = ratio(pr["install"]["ours"]["wall_ms"], pr["install"]["nsis"]["wall_ms"])
                pr["install"]["cpu_ratio"] = ratio(pr["install"]["ours"].get("cpu_ms"), pr["install"]["nsis"].get("cpu_ms"))
            else:
                pr["install"] = {"skipped": why}
            checks = {
                "ours": lambda pfx: check_tree("ours", os.path.join(pfx, UNPACK_DEST_REL), files, size),
                "nsis": lambda pfx: check_tree("NSIS", os.path.join(pfx, inst_rel), files, size),
            }
            res, warns = measure_wine_pair(runner, f"{prof}: extraction engine",
                                           ("ours", qvpack_exe, ["unpack", blobs, UNPACK_DEST_WIN]),
                                           ("nsis", nsis_extract, ["/S"]), wine_runs, checks, warm_up)
            pr["extract"] = {"ours": fig_summary(res["ours"]), "nsis": fig_summary(res["nsis"]), "warnings": warns}
            pr["extract"]["ratio"] = ratio(pr["extract"]["ours"]["wall_ms"], pr["extract"]["nsis"]["wall_ms"])
            pr["extract"]["cpu_ratio"] = ratio(pr["extract"]["ours"].get("cpu_ms"), pr["extract"]["nsis"].get("cpu_ms"))

        # Sizes.
        s = {"nsis": os.path.getsize(nsis_full), "warnings": []}
        if ours:
            s["setup"] = os.path.getsize(ours["setup"])
            s["setup_stripped"] = stripped_size(ours["setup"])
            s["ratio"] = s["setup"] / s["nsis"]
            if ours["launcher"]:
                s["launcher"] = os.path.getsize(ours["launcher"])
                res = resources_by_id(ours["launcher"], "RES")
                # RES 101 is the runtime redistributable, RES 102 the installer.
                s["launcher_redistributable"] = res.get(101)
                if res.get(101):
                    s["launcher_without_redist"] = s["launcher"] - res[101]
                    s["launcher_ratio"] = s["launcher_without_redist"] / s["nsis"]
            if s["setup_stripped"] < s["setup"] * 0.95:
                s["warnings"].append(
                    f"QVStampSetup.exe carries {s['setup'] - s['setup_stripped']:,} bytes of symbols and debug "
                    "information; the shipped program should be linked with -s (or stripped)")
            if not stub_done:
                stub_done = True
                orx, _ = orx_resource_bytes(ours["setup"])
                st = {"ours": s["setup"] - orx, "ours_stripped": s["setup_stripped"] - orx,
                      "nsis": os.path.getsize(nsis_empty)}
                mc = map_costs(ours["setup_map"])
                if mc:
                    st["libraries"] = mc["bytes"]
                    st["library_sections"] = mc["sections"]
                rep["stub"] = st
                st["probes"] = build_probes()
        pr["sizes"] = s

        # What the setup window's log costs the worker per installed file (typical only).
        if not a.no_wine and prof == "typical":
            pr["log_box"] = measure_log_box(runner, files, min(runs, 3))

    # Growth from typical to large.
    if "typical" in rep["profiles"] and "large" in rep["profiles"]:
        t, l = rep["profiles"]["typical"], rep["profiles"]["large"]
        g = {}
        for key in ("install", "extract"):
            for who in ("ours", "nsis"):
                ft, fl = (t.get(key) or {}).get(who), (l.get(key) or {}).get(who)
                if ft and fl and ft.get("peak_ws") and fl.get("peak_ws"):
                    g[f"{key} {who}"] = (f"peak WS {fmt_mb(ft['peak_ws']['median'])} -> {fmt_mb(fl['peak_ws']['median'])} "
                                         f"(x{fl['peak_ws']['median'] / ft['peak_ws']['median']:.1f}); "
                                         f"time {fmt_s(ft['wall_ms']['median'])} -> {fmt_s(fl['wall_ms']['median'])} "
                                         f"(x{fl['wall_ms']['median'] / ft['wall_ms']['median']:.1f})")
        for who in ("ours", "floor"):
            ft, fl = t["floor"].get(who), l["floor"].get(who)
            if ft and fl:
                g[f"host {who}"] = (f"peak RSS {fmt_mb(ft['peak_rss']['median'])} -> {fmt_mb(fl['peak_rss']['median'])}; "
                                    f"time {fmt_s(ft['wall_ms']['median'])} -> {fmt_s(fl['wall_ms']['median'])}")
        g["payload bytes"] = f"{fmt_mb(t['payload']['bytes'])} -> {fmt_mb(l['payload']['bytes'])} (x{l['payload']['bytes'] / t['payload']['bytes']:.1f})"
        rep["growth"] = g

    rep["load_at_end"] = os.getloadavg()
    rep["json"] = os.path.join(OUT, "installer-bench.json")
    with open(rep["json"], "w") as f:
        json.dump(rep, f, indent=1, ensure_ascii=False)
    print_report(rep)


if __name__ == "__main__":
    try:
        main()
    except RuntimeError as e:
        log(f"bench: {e}")
        sys.exit(1)
