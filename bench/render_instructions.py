#!/usr/bin/env python3
# Instructions per output frame in the innermost LoopResampler::Render, counted by callgrind:
# a figure the load of a shared machine does not move, where the times of
# velomira_signal_bench vary by a fifth. Its inclusive count over the frames of all its calls
# (512 a call), from callgrind_annotate's caller tree.
#   bench/render_instructions.py build/bin/velomira_signal_bench 'RenderCamPhaseFrames/rpm:1000/phase:0'
import os, re, subprocess, sys, tempfile
binary, filt = sys.argv[1], sys.argv[2]
out = os.path.join(tempfile.mkdtemp(), "callgrind.out")
subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}", binary,
                f"--benchmark_filter=^{filt}$", "--benchmark_min_time=0.01"], capture_output=True)
text = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--tree=caller", out],
                      capture_output=True, text=True).stdout
blocks = text.split("\n\n")
best = None
for block in blocks:
    lines = block.strip().splitlines()
    star = [l for l in lines if re.search(r"\*\s+\S*LoopResampler::Render\(", l)]
    if not star: continue
    args = star[0].count("const&")
    calls = sum(int(m.group(1)) for l in lines if "<" in l for m in [re.search(r"\((\d+)x\)", l)] if m)
    ir = int(re.match(r"\s*([\d,]+)", star[0]).group(1).replace(",", ""))
    if best is None or args > best[0]: best = (args, ir, calls)
_, ir, calls = best
print(f"{filt}: {ir / (calls * 512):.1f} instructions/frame ({calls} calls)")
