#!/usr/bin/env python3
"""The headless history export read back with Python's csv module: the same values as the
database holds (read here with sqlite3), hours before raw samples, --since from local midnight,
one-line failures, and an export beside a writer that keeps writing.
Usage: history_csv_check.py WRITER_LOOP LINESCOPE"""
import csv, datetime, os, sqlite3, subprocess, sys, tempfile, time

writer, linescope = sys.argv[1], sys.argv[2]
os.environ["TZ"] = "Europe/Paris"
time.tzset()
START, STEP = 1699999200, 1800
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def export(env, *args):
    return subprocess.run([linescope, "--export-history", *args], env=env,
                          capture_output=True, text=True, timeout=120)


def expected(db, since=None):
    """The rows the export should hold: hours before the first raw sample's hour, then samples."""
    con = sqlite3.connect(f"file:{db}?mode=ro", uri=True)
    names = [r[1] for r in con.execute("PRAGMA table_info(sample)")][1:]
    values_only = [n for n in names if not n.endswith("_rise")]
    hour_cols = [r[1] for r in con.execute("PRAGMA table_info(hour)")][2:]
    first = con.execute("SELECT min(time) FROM sample").fetchone()[0]
    split = first - first % 3600
    lo = -2**62 if since is None else since
    rows = []
    for r in con.execute("SELECT * FROM hour WHERE time>=? AND time<? ORDER BY time", (lo, split)):
        rows.append((r[0], "hour", r[1], {c: v for c, v in zip(hour_cols, r[2:])}))
    for r in con.execute("SELECT * FROM sample WHERE time>=? ORDER BY time", (lo,)):
        rows.append((r[0], "sample", 1, {c: v for c, v in zip(names, r[1:])}))
    con.close()
    return values_only, rows


def compare(path, names, rows, partial=False):
    with open(path, newline="") as f:
        got = list(csv.DictReader(f))
    want = {(r[0], r[1]): r for r in rows}
    check(partial or len(got) == len(rows), f"{path}: {len(got)} rows, want {len(rows)}")
    times = [datetime.datetime.fromisoformat(g["time"]).timestamp() for g in got]
    check(times == sorted(times), f"{path}: rows not oldest first")
    check(all(g["time"].endswith("+01:00") or g["time"].endswith("+02:00") for g in got),
          f"{path}: times without their local offset")
    for t, g in zip(times, got):
        if (t, g["kind"]) not in want:
            check(partial, f"{path}: row {g['time']} not in the database")
            continue
        _, kind, count, values = want[(t, g["kind"])]
        check(g["kind"] == kind and int(g["samples"]) == count, f"{path}: {g['time']} kind/count")
        for c in names:
            stats = [f"{c}_min", f"{c}_avg", f"{c}_max"] + ([f"{c}_rise"] if f"{c}_rise" in g else [])
            for f in [c] + stats:
                v = values.get(f) if f.endswith("_rise") or (f == c) == (kind == "sample") else None
                same = g[f] == "" if v is None else g[f] != "" and float(g[f]) == v
                check(same, f"{path}: {g['time']} {f}: {g[f]!r}, want {v!r}")
    return got


with tempfile.TemporaryDirectory() as home:
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(XDG_DATA_HOME=f"{home}/data", XDG_CONFIG_HOME=f"{home}/config", HOME=home)
    db = f"{home}/data/Corvane/LineScope/history.sqlite"
    # 37.5 days every half hour: hours rolled up past the raw samples' 31 days, then raw samples.
    subprocess.run([writer, db, str(START), str(STEP), "1800"], check=True, timeout=300)

    out = f"{home}/all.csv"
    r = export(env, out)
    check(r.returncode == 0 and r.stderr == "", f"export: {r.returncode} {r.stderr!r}")
    names, rows = expected(db)
    got = compare(out, names, rows)
    kinds = [g["kind"] for g in got]
    check("hour" in kinds and kinds.index("sample") == kinds.count("hour"), "hours, then samples")

    day = datetime.date.fromtimestamp(START + 36 * 86400)
    midnight = int(datetime.datetime.combine(day, datetime.time()).timestamp())
    r = export(env, f"{home}/since.csv", "--since", day.isoformat())
    check(r.returncode == 0, f"--since: {r.stderr!r}")
    compare(f"{home}/since.csv", names, expected(db, midnight)[1])

    for args, env2 in ((["x.csv", "--since", "2024-13-01"], env),
                       (["x.csv", "--since", "yesterday"], env),
                       ([f"{home}/no/such/dir/x.csv"], env),
                       (["x.csv"], dict(env, XDG_DATA_HOME=f"{home}/empty"))):
        r = export(env2, *args)
        check(r.returncode == 1 and r.stderr.count("\n") == 1 and r.stderr.startswith("linescope: "),
              f"{args}: {r.returncode} {r.stderr!r}")
    check(not os.path.exists(f"{home}/config") and not os.path.exists(f"{home}/empty"),
          "the export wrote settings or made a database")

    # Beside a writer that keeps going: each export is a consistent snapshot.
    last = max(r[0] for r in rows)
    running = subprocess.Popen([writer, db, str(last + STEP), "60"])
    try:
        for i in range(3):
            time.sleep(0.3)
            r = export(env, f"{home}/live{i}.csv")
            check(r.returncode == 0, f"export beside the writer: {r.stderr!r}")
            compare(f"{home}/live{i}.csv", names, expected(db)[1], partial=True)
    finally:
        running.kill()
        running.wait()

print("FAILED" if failures else "ok", len(failures))
sys.exit(1 if failures else 0)
