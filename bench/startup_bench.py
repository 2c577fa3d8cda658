#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The measuring half of bench/startup_bench.sh: run it through that script, which builds the
programs and starts the private X server."""
import os, shutil, signal, statistics, subprocess, sys, time

work, build, runs, memory = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4] == "1"
plugin = os.path.join(work, "demo", "Zarvo")
library = os.path.join(work, "demo", "Library")
samples = sorted(f for f in os.listdir(library) if os.path.isfile(os.path.join(library, f)))

def write_kit(name, files):
    """A kit script playing `files`, spread over the 18 pads in velocity layers."""
    per_pad = (len(files) + 17) // 18
    zones, paths = [], []
    for i, path in enumerate(files):
        pad, layer = i // per_pad, i % per_pad
        low = layer * 127 // per_pad + 1
        high = (layer + 1) * 127 // per_pad
        key = 36 + pad
        zones.append(f"{pad + 1:2d},  0, 0, {key},PAD {pad + 1},{os.path.basename(path)},"
                     f"{low:3d},{high:3d}, {key}, {key}, 1.00, 1.00,  0,  0,")
        paths.append(f"{pad + 1:2d},{path},")
    script = os.path.join(plugin, name + ".txt")
    with open(script, "w", encoding="latin-1") as f:
        f.write(f"vst samples,\n{name},\n{name},\nPadsmith bench,\n\n")
        f.write("\n".join(zones) + "\n-1\n\n" + "\n".join(paths) + "\n-1\n\nPadsmith by Mervane")
    return script

def settings(name, script, cache_mib=None):
    path = os.path.join(work, name + ".ini")
    with open(path, "w") as f:
        f.write(f"[General]\nZVDIR={plugin}/\nFILE1={script}\nName={os.path.basename(script)}\n")
        if cache_mib is not None:
            f.write(f"SampleCacheMiB={cache_mib}\n")
    return path

def mapped_after(command):
    """Seconds from starting `command` to the first window mapped on the X server."""
    watcher = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure"],
                               stdout=subprocess.PIPE, text=True, bufsize=1)
    time.sleep(0.3)
    start = time.monotonic()
    program = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for line in watcher.stdout:
        if line.startswith("MapNotify"):
            break
    else:
        sys.exit("startup_bench: the X server reported no mapped window")
    elapsed = time.monotonic() - start
    program.send_signal(signal.SIGKILL)
    program.wait()
    watcher.kill()
    watcher.wait()
    return elapsed

# 200 zones, each its own file (copies of the demo samples).
files = []
for i in range(200):
    source = os.path.join(library, samples[i % len(samples)])
    target = os.path.join(library, f"zone {i:03d}{os.path.splitext(source)[1]}")
    shutil.copyfile(source, target)
    files.append(target)
editor_settings = settings("startup", write_kit("Startup Kit", files))
editor = [os.path.join(build, "apps", "padsmith", "padsmith"), "--settings", editor_settings]
bare = [os.path.join(build, "bench", "bare_window")]

mapped_after(bare)  # warms the file cache for both
mapped_after(editor)
editor_times, bare_times = [], []
for _ in range(runs):
    bare_times.append(mapped_after(bare))
    editor_times.append(mapped_after(editor))
e, b = statistics.median(editor_times) * 1000, statistics.median(bare_times) * 1000
print(f"startup_bench: startupToMappedWindow {e:.1f} ms / floor {b:.1f} ms = {e / b:.2f} x")
# The fastest starts of each are what a quiet machine gives; the medians follow the load.
e, b = min(editor_times) * 1000, min(bare_times) * 1000
print(f"startup_bench: startupToMappedWindow, fastest of {runs}: {e:.1f} ms / floor {b:.1f} ms "
      f"= {e / b:.2f} x")

if memory:
    def write_wave(path, megabytes):
        frames = megabytes * 1000 * 1000 // 4
        with open(path, "wb") as f:
            size = frames * 4
            f.write(b"RIFF" + (36 + size).to_bytes(4, "little") + b"WAVEfmt ")
            f.write((16).to_bytes(4, "little") + (1).to_bytes(2, "little") + (2).to_bytes(2, "little"))
            f.write((44100).to_bytes(4, "little") + (44100 * 4).to_bytes(4, "little"))
            f.write((4).to_bytes(2, "little") + (16).to_bytes(2, "little"))
            f.write(b"data" + size.to_bytes(4, "little"))
            block = bytes(range(256)) * 4096
            left = size
            while left > 0:
                f.write(block[:min(left, len(block))])
                left -= len(block)
    big = [os.path.join(library, "huge.wav")]
    write_wave(big[0], 400)
    for i in range(24):
        big.append(os.path.join(library, f"layer {i:02d}.wav"))
        write_wave(big[-1], 16)
    script = write_kit("Memory Kit", big)

    def peak_mib(cache_mib):
        command = [editor[0], "--settings", settings(f"memory{cache_mib}", script, cache_mib)]
        program = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(20)  # the fill reads what fits
        with open(f"/proc/{program.pid}/status") as f:
            peak = next(int(l.split()[1]) for l in f if l.startswith("VmHWM:")) / 1024
        program.send_signal(signal.SIGKILL)
        program.wait()
        return peak
    without, withcache = peak_mib(0), peak_mib(256)
    print(f"startup_bench: peakMemory400MBSample {withcache:.0f} MiB / floor (no cache) "
          f"{without:.0f} MiB = base + {withcache - without:.0f} MiB (bound 256 MiB)")
