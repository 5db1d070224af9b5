#!/usr/bin/env python3
"""What a change to the installer would gain: an A/B measurement, not part of run.sh.

    bench/installer/what_if.sh [--runs N] [--profile typical|large]

Copies the work tree twice into build/bench/whatif/ (the installer code is not touched in
place), changes the copy "log" so that the setup window puts a new log line on top by
inserting it (EM_SETSEL 0,0 + EM_REPLACESEL, text limit lifted, text past 60000 characters
cut off) instead of reading the whole text back and setting it again, builds QVStampSetup in
both around the benchmark payload, and runs the two and the NSIS installer alternately under
wine64 as run.sh does. Prints the medians. Needs run.sh to have run once (payload, NSIS
installer, tools, template prefix).
"""

import argparse
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import bench  # noqa: E402

OLD_APPEND = """  std::vector<char> old(kLogReadLimit, '\\0');
  const int got = GetWindowTextA(m_edtLog.Hwnd(), old.data(), kLogReadLimit);
  std::string text = line != nullptr ? line : "";
  text += "\\r\\n";
  text.append(old.data(), got > 0 ? static_cast<size_t>(got) : 0);
  m_edtLog.SetText(text);
  return 0;"""

NEW_APPEND = """  std::string text = line != nullptr ? line : "";
  text += "\\r\\n";
  const HWND edit = m_edtLog.Hwnd();
  SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
  SendMessageA(edit, EM_SETSEL, 0, 0);
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  if (GetWindowTextLengthA(edit) >= kLogReadLimit) {
    SendMessageA(edit, EM_SETSEL, kLogReadLimit - 1, -1);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
  }
  return 0;"""


def snapshot(dest):
    """The work tree as it is now (committed or not), without builds and git data."""
    if os.path.isdir(dest):
        shutil.rmtree(dest)
    top_ignore = {"build", ".git"}
    shutil.copytree(bench.TOP, dest, symlinks=True,
                    ignore=lambda d, names: [n for n in names if d == bench.TOP and n in top_ignore])


def build(src, bdir, payload, packer):
    bench.run(["cmake", "-S", src, "-B", bdir, "-G", "Ninja",
               f"-DCMAKE_TOOLCHAIN_FILE={src}/cmake/toolchain-win64.cmake", f"-DQV_PACKER={packer}",
               f"-DQV_PAYLOAD_DIR={payload}", "-DQV_BUILD_TESTS=OFF"])
    bench.run(["cmake", "--build", bdir, "-j", "2", "--target", "QVStampSetup"])
    exe = bench.find_file(bdir, "QVStampSetup.exe")
    if not exe:
        raise RuntimeError(f"no QVStampSetup.exe in {bdir}")
    return exe


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--profile", default="typical", choices=["typical", "large"])
    ap.add_argument("--settle-ms", type=int, default=1500)
    a = ap.parse_args()

    root = os.path.join(bench.OUT, "whatif")
    payload = os.path.join(bench.OUT, "payloads", a.profile)
    nsis = os.path.join(bench.OUT, "nsis", f"full-{a.profile}.exe")
    tools = {n: os.path.join(bench.OUT, "tools", n + ".exe") for n in ("qvrun", "memprobe", "logbench")}
    packer = os.path.join(bench.HOST_BUILD, "tools", "packer", "qvpack")
    for p in (payload, nsis, packer, *tools.values()):
        if not os.path.exists(p):
            raise RuntimeError(f"{p} is missing: run bench/installer/run.sh first")

    # One snapshot, copied, so that both builds see the same code.
    bench.log("== snapshot of the work tree")
    base_src = os.path.join(root, "src-base")
    snapshot(base_src)
    log_src = os.path.join(root, "src-log")
    if os.path.isdir(log_src):
        shutil.rmtree(log_src)
    shutil.copytree(base_src, log_src, symlinks=True)
    exes = {}
    for name in ("base", "log"):
        src = os.path.join(root, "src-" + name)
        bench.log(f"== {name}: build")
        if name == "log":
            path = os.path.join(src, "installer", "app", "setup_dialog.cpp")
            with open(path, encoding="utf-8") as f:
                text = f.read()
            if OLD_APPEND not in text:
                raise RuntimeError("setup_dialog.cpp no longer reads the log back as expected; update what_if.py")
            with open(path, "w", encoding="utf-8") as f:
                f.write(text.replace(OLD_APPEND, NEW_APPEND))
        exes[name] = build(src, os.path.join(root, "build-" + name), payload, packer)

    files, size = bench.tree_stats(payload)
    runner = bench.WineRunner(tools, a.settle_ms, timeout=4 * 3600)
    check = lambda pfx: bench.check_tree("run", os.path.join(pfx, bench.INSTALL_DIR_REL), files, size, 1)
    entries = [("base", exes["base"], ["-s"]), ("log", exes["log"], ["-s"]), ("nsis", nsis, ["/S"])]
    res = {k: [] for k, _, _ in entries}
    for r in range(a.runs + 1):
        order = entries[r % 3:] + entries[:r % 3]
        for name, exe, args in order:
            fig = runner.run(name, exe, args)
            problem = check(fig["prefix"])
            bench.log(f"  {name:5} run {r}{' (warm-up)' if r == 0 else ''}: {fig['wall_ms'] / 1000:.2f} s, "
                      f"CPU {(fig['cpu_ms'] or 0) / 1000:.2f} s{'  ! ' + problem if problem else ''}")
            if r > 0:
                res[name].append(fig)
    print(f"\nwhat if: the setup window inserts each log line ({a.profile}, {a.runs} runs, load now "
          f"{os.getloadavg()[0]:.1f})")
    summ = {k: bench.fig_summary(v) for k, v in res.items()}
    for name, title in (("base", "ours as it is"), ("log", "ours, log line inserted"), ("nsis", "NSIS")):
        w, c = summ[name]["wall_ms"], summ[name].get("cpu_ms")
        print(f"  {title:28} {w['median'] / 1000:7.2f} s  ({w['min'] / 1000:.2f} - {w['max'] / 1000:.2f})"
              f"  CPU {c['median'] / 1000 if c else 0:6.2f} s  ours/NSIS {w['median'] / summ['nsis']['wall_ms']['median']:.2f}")


if __name__ == "__main__":
    try:
        main()
    except RuntimeError as e:
        bench.log(f"what_if: {e}")
        sys.exit(1)
