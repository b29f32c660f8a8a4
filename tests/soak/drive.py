#!/usr/bin/python3
"""Drives a running LineScope for the soak: a steady syslog stream, page switches, undocking and
docking the syslog view, an X round trip to the program every few seconds, and memory and CPU once
a minute. Exits 1 when memory grew beyond the bound, a datagram is missing from the log file, the
program did not answer a round trip within a second, or it died."""
import os, re, socket, subprocess, sys, threading, time
from Xlib import X, display, protocol

pid, port, log, minutes = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], float(sys.argv[4])
rate = float(os.environ.get("SOAK_RATE", "20"))            # datagrams a second
bound_mib = float(os.environ.get("SOAK_RSS_GROWTH_MIB", "16"))  # after the first minute
MAIN, FLOAT = " Corvane R62GX/R63 LineScope", "Corvane R62GX/R63  LineScope - Undocked SysLog Server"
# Menu buttons (window at the screen's corner, no window manager): x 70, y their centres.
PAGES = [86, 118, 150, 182, 214, 246, 278, 310, 342, 374, 454, 486]
SYSLOG_PAGE, UNDOCK = (70, 406), (140 + 288 + 64, 458 + 16)

failures = []
sent = 0
stop = threading.Event()


def sender():
    global sent
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    start = time.monotonic()
    while not stop.is_set():
        due = start + sent / rate
        if due > time.monotonic():
            time.sleep(due - time.monotonic())
        s.sendto(b"<134>soak %d" % sent, ("127.0.0.1", port))
        sent += 1


d = display.Display()
root = d.screen().root
# Qt sends the answer to the root window for structure notify and substructure redirect.
root.change_attributes(event_mask=X.StructureNotifyMask)
PROTOCOLS, PING = d.intern_atom("WM_PROTOCOLS"), d.intern_atom("_NET_WM_PING")
DELETE = d.intern_atom("WM_DELETE_WINDOW")


def window(name):
    for w in root.query_tree().children:
        try:
            if w.get_wm_name() == name and w.get_attributes().map_state == X.IsViewable:
                return w
        except Exception:
            pass
    return None


def client_message(w, data):
    w.send_event(protocol.event.ClientMessage(window=w, client_type=PROTOCOLS,
                                              data=(32, data)), event_mask=X.NoEventMask)
    d.flush()


stamp, worst = 0, 0.0


def ping():
    """_NET_WM_PING: the program's event loop sends it back to the root window."""
    global stamp, worst
    w = window(MAIN)
    if w is None:
        failures.append("main window gone")
        return
    stamp += 1
    began = time.monotonic()
    client_message(w, [PING, stamp, w.id, 0, 0])
    while time.monotonic() - began < 1.0:
        while d.pending_events():
            e = d.next_event()
            if e.type == X.ClientMessage and e.data[1][0] == PING and e.data[1][1] == stamp:
                worst = max(worst, time.monotonic() - began)
                return
        time.sleep(0.005)
    failures.append("no answer to an X round trip within 1 s at %.0f s" % (began - t0))


def click(x, y):
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)


def sample():
    with open("/proc/%d/status" % pid) as f:
        rss = int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1)) / 1024
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return rss, (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


t0 = time.monotonic()
threading.Thread(target=sender, daemon=True).start()
rss0, cpu0 = sample()
rows = [(0, rss0, 0.0, 0)]
print("minute  rss_mib  cpu_percent  datagrams_sent", flush=True)
print("%6d  %7.1f  %11s  %14d" % (0, rss0, "-", 0), flush=True)
second, page = 0, 0
while second < minutes * 60 and not failures:
    time.sleep(max(0.0, t0 + second + 1 - time.monotonic()))
    second += 1
    if not os.path.exists("/proc/%d" % pid):
        failures.append("the program ended")
        break
    if second % 5 == 0:
        ping()
    if second % 60 == 20:  # undock from the SysLog page
        click(*SYSLOG_PAGE)
        time.sleep(0.5)
        click(*UNDOCK)
    elif second % 60 == 40:  # and dock again by closing the floating window
        w = window(FLOAT)
        if w is None:
            failures.append("the syslog view did not undock at %d s" % (second - 20))
        else:
            client_message(w, [DELETE, X.CurrentTime, 0, 0, 0])
    elif second % 10 == 0:
        click(70, PAGES[page % len(PAGES)])
        page += 1
    if second % 60 == 0:
        rss, cpu = sample()
        rows.append((second // 60, rss, 100 * (cpu - cpu0) / 60, sent))
        cpu0 = cpu
        print("%6d  %7.1f  %11.1f  %14d" % rows[-1], flush=True)

stop.set()
time.sleep(3)  # the last datagrams reach the file
with open(log, "rb") as f:
    written = set(int(m) for m in re.findall(rb"^soak (\d+)\r$", f.read(), re.M))
lost = sorted(set(range(sent)) - written)
growth = rows[-1][1] - rows[min(1, len(rows) - 1)][1]
print("datagrams sent %d, written %d, lost %d%s" % (sent, len(written), len(lost),
                                                    (" (first %d)" % lost[0]) if lost else ""))
print("memory %.1f MiB at start, %.1f after the first minute, %.1f at the end: growth %.1f MiB "
      "(bound %.0f)" % (rss0, rows[min(1, len(rows) - 1)][1], rows[-1][1], growth, bound_mib))
print("slowest X round trip %.0f ms over %d pings" % (worst * 1000, stamp))
if lost:
    failures.append("%d datagrams lost" % len(lost))
if growth > bound_mib:
    failures.append("memory grew by %.1f MiB" % growth)
for f in failures:
    print("soak: FAIL: " + f)
sys.exit(1 if failures else 0)
