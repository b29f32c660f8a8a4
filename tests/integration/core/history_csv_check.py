#!/usr/bin/env python3
"""The headless history export read back with Python's csv module: the same values as the
database holds (read here with sqlite3), hours before raw samples, --since from local midnight,
one-line failures, and an export beside a writer that keeps writing. The usage export: the
database's hourly usage summed per local day and month, newest first, and the same failures.
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


def export(env, *args, kind="--export-history"):
    return subprocess.run([linescope, kind, *args], env=env,
                          capture_output=True, text=True, timeout=120)


def expected(db, since=None):
    """The rows the export should hold: hours before the first raw sample's hour, then samples."""
    con = sqlite3.connect(f"file:{db}?mode=ro", uri=True)
    names = [r[1] for r in con.execute("PRAGMA table_info(sample)")][1:]
    derived = {"covered", "usage_down", "usage_up", "unplaced_down", "unplaced_up"}
    values_only = [n for n in names if not n.endswith("_rise") and n not in derived]
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
    check(max(r[0] for r in rows) == START + 1799 * STEP, "the writer ended before its last sample")
    got = compare(out, names, rows)
    kinds = [g["kind"] for g in got]
    check("hour" in kinds and kinds.index("sample") == kinds.count("hour"), "hours, then samples")

    day = datetime.date.fromtimestamp(START + 36 * 86400)
    midnight = int(datetime.datetime.combine(day, datetime.time()).timestamp())
    r = export(env, f"{home}/since.csv", "--since", day.isoformat())
    check(r.returncode == 0, f"--since: {r.stderr!r}")
    compare(f"{home}/since.csv", names, expected(db, midnight)[1])

    for kind in ("--export-history", "--export-usage"):
        for args, env2 in ((["x.csv", "--since", "2024-13-01"], env),
                           (["x.csv", "--since", "yesterday"], env),
                           ([f"{home}/no/such/dir/x.csv"], env),
                           (["x.csv"], dict(env, XDG_DATA_HOME=f"{home}/empty"))):
            r = export(env2, *args, kind=kind)
            check(r.returncode == 1 and r.stderr.count("\n") == 1 and
                  r.stderr.startswith("linescope: "), f"{kind} {args}: {r.returncode} {r.stderr!r}")

    r = export(env, f"{home}/usage.csv", kind="--export-usage")
    check(r.returncode == 0 and r.stderr == "", f"usage export: {r.returncode} {r.stderr!r}")
    con = sqlite3.connect(f"file:{db}?mode=ro", uri=True)
    sums = "sum(usage_down),sum(usage_up),sum(unplaced_down),sum(unplaced_up),sum(covered)"
    hours = list(con.execute("SELECT time,usage_down,usage_up,unplaced_down,unplaced_up,covered "
                             "FROM hour"))
    hours += con.execute(f"SELECT time-time%3600,{sums} FROM sample WHERE time>=? GROUP BY 1",
                         (max(h[0] for h in hours) + 3600,)).fetchall()
    con.close()
    want = {}
    for t, *v in hours:
        for key in (datetime.date.fromtimestamp(t).isoformat(),
                    datetime.date.fromtimestamp(t).isoformat()[:7]):
            old = want.get(key, [None, None, 0, 0, 0])
            want[key] = [None if a is None and b is None else (a or 0) + (b or 0)
                         for a, b in zip(old, v)]
    with open(f"{home}/usage.csv", newline="") as f:
        usage = list(csv.DictReader(f))
    check(len(usage) == len(want) and any(r["down_octets"] for r in usage),
          f"usage rows: {len(usage)}, want {len(want)}")
    order = [(r["date"][:7], len(r["date"]) == 7, r["date"]) for r in usage]
    check(order == sorted(order, reverse=True), "usage rows not newest first, months first")
    for r in usage:
        w = want.get(r["date"], [None] * 5)
        got = [int(r[k]) if r[k] else None for k in ("down_octets", "up_octets",
                                                      "unplaced_down_octets", "unplaced_up_octets")]
        check(r["kind"] == ("month" if len(r["date"]) == 7 else "day") and got == w[:4] and
              abs(float(r["hours_recorded"]) - w[4] / 3600) < 0.006, f"usage {r}: want {w}")
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
