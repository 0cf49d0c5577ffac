#!/usr/bin/env bash
# Kills `hivewarden-cli.exe fix --backup` under Wine at random moments, most
# of them among its first changes, and checks after each kill that every value
# gone from Wine's registry is in the backup file: on Windows every registry
# change is live, so the backup must be on disk before the first one.
# 600 stale values are planted with a .reg import: 50 application-path keys of
# 10 values each (deleted whole) and 100 shared-library counters (deleted one
# by one). Needs wine64, python3 and build-win64/ (or HW_CLI_EXE); skips when
# Wine is not installed. HW_KILL_SECONDS bounds the kills (default 90).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=${HW_CLI_EXE:-"$root/build-win64/bin/hivewarden-cli.exe"}
if ! command -v wine64 >/dev/null && [ ! -x /usr/lib/wine/wine64 ]; then
  echo "wine64 is not installed: skipping the kill test of the Windows build"
  exit 0
fi
command -v python3 >/dev/null || { echo "python3 is needed to read the registry files" >&2; exit 2; }
[ -f "$exe" ] || { echo "no $exe: build the Windows target first" >&2; exit 2; }
source "$root/scripts/wine-common.sh"
start_fresh_prefix

python3 - "$wine" "$exe" "$root/data" "${HW_KILL_SECONDS:-90}" <<'EOF'
import os, random, re, shutil, signal, subprocess, sys, time

wine, exe, data, budget = sys.argv[1], sys.argv[2], sys.argv[3], float(sys.argv[4])
prefix = os.environ["WINEPREFIX"]
work = os.path.join(prefix, "drive_c", "kill")
backup = os.path.join(work, "backup.reg")
os.makedirs(work)

def windows(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")

CV = r"Software\Microsoft\Windows\CurrentVersion"
planted = set()  # (key below HKLM, lower case; value name, "" for the default)
lines = ["REGEDIT4", ""]
def esc(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')
for k in range(50):
    key = CV + rf"\App Paths\hwkill{k:02d}.exe"
    lines.append(f"[HKEY_LOCAL_MACHINE\\{key}]")
    # No default value: the program the key registers is missing, the key goes whole.
    values = {f"V{v}": f"text {v}" for v in range(10)}
    for name, text in values.items():
        lines.append(("@" if name == "" else f'"{esc(name)}"') + f'="{esc(text)}"')
        planted.add((key.lower(), name))
    lines.append("")
lines.append(f"[HKEY_LOCAL_MACHINE\\{CV}\\SharedDLLs]")
for d in range(100):
    name = rf"C:\hw-gone\{d // 10}\hwkill{d}.dll"
    lines.append(f'"{esc(name)}"=dword:00000001')
    planted.add(((CV + r"\SharedDLLs").lower(), name))
lines.append("")
with open(os.path.join(prefix, "plant.reg"), "w", newline="\r\n") as f:
    f.write("\n".join(lines) + "\n")
assert len(planted) == 600
subprocess.run([wine, "regedit", "/S", windows(os.path.join(prefix, "plant.reg"))], check=True)
subprocess.run(["wineserver", "-k"])
system_reg = os.path.join(prefix, "system.reg")
planted_copy = os.path.join(prefix, "system.reg.planted")
shutil.copyfile(system_reg, planted_copy)

def unquote(text):
    return re.sub(r"\\(.)", r"\1", text)

VALUE = re.compile(r'^(@|"((?:[^"\\]|\\.)*)")=')
def planted_values(text, key_of):
    """The planted (key, value name) pairs a .reg text holds; key_of turns a
    line opening a key into that key (lower case), None for another line."""
    found, key = set(), None
    for line in text.splitlines():
        if line.startswith("["):
            key = key_of(line)
            continue
        m = VALUE.match(line)
        if m and key is not None:
            pair = (key, "" if m.group(1) == "@" else unquote(m.group(2)))
            if pair in planted:
                found.add(pair)
    return found

def wine_key(line):
    # Wine's files name keys below the hive, backslashes doubled.
    m = re.match(r"^\[((?:[^\]\\]|\\.)*)\]", line)
    return unquote(m.group(1)).lower() if m else None

def backup_key(line):
    m = re.match(r"^\[HKEY_LOCAL_MACHINE\\(.*)\]$", line)
    return m.group(1).lower() if m else None

def in_registry():
    subprocess.run(["wineserver", "-k"])  # writes the registry to its files
    with open(system_reg, encoding="utf-8", errors="replace") as f:
        return planted_values(f.read(), wine_key)

def in_backup():
    if not os.path.exists(backup):
        return set(), ""
    with open(backup, encoding="cp1252", errors="replace", newline="") as f:
        text = f.read()
    return planted_values(text, backup_key), text

def restore():
    subprocess.run(["wineserver", "-k"])
    shutil.copyfile(planted_copy, system_reg)
    for name in os.listdir(work):
        os.remove(os.path.join(work, name))

command = [wine, exe, "fix", "--categories", "apppaths,shareddlls", "--search", r"C:\kill",
           "--data-dir", windows(data), "--backup", r"C:\kill\backup.reg"]
def start():
    return subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
def wait_for_backup(child):
    while not os.path.exists(backup):
        if child.poll() is not None:
            return False
        time.sleep(0.002)
    return True

failed = False
def check(what):
    global failed
    gone = planted - in_registry()
    saved, text = in_backup()
    if text and not text.startswith("REGEDIT4"):
        print(f"FAIL: {what}: the backup is no REGEDIT4 file", file=sys.stderr)
        failed = True
    lost = gone - saved
    if lost:
        print(f"FAIL: {what}: {len(lost)} of the {len(gone)} values gone are in no backup, "
              f"e.g. {sorted(lost)[:3]}", file=sys.stderr)
        failed = True
    return len(gone)

# The whole run once: it removes every planted value, and gives the moments
# at which the backup appears and the run ends.
began = time.monotonic()
child = start()
wait_for_backup(child)
backed_up = time.monotonic() - began
code = child.wait()
took = time.monotonic() - began
gone = check("the whole run")
if code != 0 or gone != len(planted):
    print(f"FAIL: the whole run ended with {code} and removed {gone} of {len(planted)} values",
          file=sys.stderr)
    sys.exit(1)
print(f"ok: the whole run removed all {gone} values in {took:.1f} s, "
      f"its backup on disk after {backed_up:.1f} s")

# Kills: most a little after the backup appeared (the first changes), the
# others at a random moment of the run's second half.
rng = random.Random()
changing = max(took - backed_up, 0.05)
deadline = time.monotonic() + budget
kills = among_changes = 0
while kills < 3 or (time.monotonic() + took < deadline and kills < 12):
    restore()
    child = start()
    began = time.monotonic()
    if kills % 3 != 2:
        if wait_for_backup(child):
            time.sleep(changing * rng.random() ** 3)
    else:
        time.sleep(took * (0.5 + 0.5 * rng.random()))
    at = time.monotonic() - began
    child.send_signal(signal.SIGKILL)
    child.wait()
    kills += 1
    gone = check(f"kill {kills} after {at:.2f} s")
    among_changes += 0 < gone < len(planted)
    print(f"kill {kills} after {at:.2f} s: {gone} values gone, all of them in the backup"
          if not failed else f"kill {kills} after {at:.2f} s: {gone} values gone")
if among_changes == 0:
    print("FAIL: no kill fell among the changes; nothing was shown", file=sys.stderr)
    failed = True
sys.exit(1 if failed else 0)
EOF
echo "ok: every value a killed run removed from Wine's registry is in its backup"
