#!/usr/bin/python3
"""Writes data/public.snmprec, the simulated Corvane R62GX that snmpsim serves on loopback.

Run it after changing a value here, and update README.md where the change shows:

    /usr/bin/python3 tests/agent/make_snmprec.py

snmpsim finds objects by binary search, so the records are written sorted by OID, arc by arc.
Record format: OID|TAG|VALUE, TAG 2 Integer32, 4 OCTET STRING, 4x hex octets, 6 OID,
64 IpAddress, 65 Counter32, 66 Gauge32, 67 TimeTicks, 70 Counter64; "TAG:module|options" runs a
variation module (numeric: a counter that grows with time; writecache: accepts a SetRequest).
"""

import os
import shutil
import sys

MIB2 = "1.3.6.1.2.1"

INTEGER, OCTETS, HEX, OID, IPADDR = "2", "4", "4x", "6", "64"
COUNTER32, GAUGE32, TIMETICKS, COUNTER64 = "65", "66", "67", "70"

# 12 days, 3 hours, 25 minutes, 47 seconds. Kept fixed (not growing) so tests can compute the
# uptime lines and the WAN connection time exactly.
SYS_UPTIME = ((12 * 24 + 3) * 3600 + 25 * 60 + 47) * 100

records = []


def add(oid, tag, value):
    records.append((oid, tag, str(value)))


def growing(tag, initial, rate, wrap=False):
    """A counter that starts at `initial` when snmpsim starts and grows by `rate` per second."""
    options = f"rate={rate},initial={initial}"
    if wrap:
        options += ",wrap=1"
    return f"{tag}:numeric", options


def add_growing(oid, tag, initial, rate, wrap=False):
    t, v = growing(tag, initial, rate, wrap)
    add(oid, t, v)


# --- system -------------------------------------------------------------------------------
add(f"{MIB2}.1.1.0", OCTETS, "Corvane R62GX ADSL router, TAVIX firmware 3.4.2")
add(f"{MIB2}.1.2.0", OID, "1.3.6.1.4.1.40917.1")
add(f"{MIB2}.1.3.0", TIMETICKS, SYS_UPTIME)
# The three strings the program writes. writecache values may not hold "," or "=".
add(f"{MIB2}.1.4.0", "4:writecache", "value=noc@example.net")
add(f"{MIB2}.1.5.0", "4:writecache", "value=tavix-gw")
add(f"{MIB2}.1.6.0", "4:writecache", "value=Wiring cupboard")
add(f"{MIB2}.1.7.0", INTEGER, 72)

# --- interfaces -----------------------------------------------------------------------------
# The last interface's index (7) lies above ifNumber (5): discovery must find it by GetNext.
INTERFACES = [
    # ifIndex, descr, type, mtu, speed, mac (hex, "" for none), lastChange, in/out octet rates
    dict(index=1, descr="br0", type=1, mtu=1500, speed=100000000, mac="001e4f3a5c01",
         last=1210, in_rate=61000, out_rate=412000),
    dict(index=2, descr="eth0", type=6, mtu=1500, speed=100000000, mac="000a050c010e",
         last=1345, in_rate=63000, out_rate=415000),
    dict(index=3, descr="adsl0", type=94, mtu=1536, speed=8128000, mac="001e4f3a5c03",
         last=3456, in_rate=402000, out_rate=55000),
    dict(index=4, descr="ppp0", type=23, mtu=1492, speed=448000, mac="",
         last=68467200, in_rate=400000, out_rate=52000),
    dict(index=7, descr="atm0", type=159, mtu=1500, speed=8128000, mac="001e4f3a5c07",
         last=4521, in_rate=401000, out_rate=53000),
]
IF_NUMBER = len(INTERFACES)

add(f"{MIB2}.2.1.0", INTEGER, IF_NUMBER)
for itf in INTERFACES:
    i = itf["index"]
    col = lambda c: f"{MIB2}.2.2.1.{c}.{i}"  # noqa: E731
    add(col(1), INTEGER, i)
    add(col(2), OCTETS, itf["descr"])
    add(col(3), INTEGER, itf["type"])
    add(col(4), INTEGER, itf["mtu"])
    add(col(5), GAUGE32, itf["speed"])
    add(col(6), HEX if itf["mac"] else OCTETS, itf["mac"])
    add(col(7), INTEGER, 1)  # ifAdminStatus up
    add(col(8), INTEGER, 1)  # ifOperStatus up
    add(col(9), TIMETICKS, itf["last"])
    # 32-bit octet counters grow and wrap at 2^32 like a real router's.
    add_growing(col(10), COUNTER32, 3000000000 + 1000 * i, itf["in_rate"], wrap=True)
    add(col(11), COUNTER32, 1100000 + 1000 * i)  # ifInUcastPkts
    add(col(12), COUNTER32, 12000 + 100 * i)  # ifInNUcastPkts
    add(col(13), COUNTER32, 130 + i)  # ifInDiscards
    add(col(14), COUNTER32, 140 + i)  # ifInErrors
    add(col(15), COUNTER32, 150 + i)  # ifInUnknownProtos
    add_growing(col(16), COUNTER32, 1600000000 + 1000 * i, itf["out_rate"], wrap=True)
    add(col(17), COUNTER32, 1700000 + 1000 * i)  # ifOutUcastPkts
    add(col(18), COUNTER32, 18000 + 100 * i)  # ifOutNUcastPkts
    add(col(19), COUNTER32, 190 + i)  # ifOutDiscards
    add(col(20), COUNTER32, 200 + i)  # ifOutErrors
    add(col(21), GAUGE32, i)  # ifOutQLen
    add(col(22), OID, "0.0")  # ifSpecific

    # ifXTable: 64-bit counters start above 2^32 so a 32-bit reader would show a wrong value.
    xcol = lambda c: f"{MIB2}.31.1.1.1.{c}.{i}"  # noqa: E731
    add(xcol(1), OCTETS, itf["descr"])  # ifName
    add(xcol(2), COUNTER32, 2000 + i)  # ifInMulticastPkts
    add(xcol(3), COUNTER32, 3000 + i)  # ifInBroadcastPkts
    add(xcol(4), COUNTER32, 4000 + i)  # ifOutMulticastPkts
    add(xcol(5), COUNTER32, 5000 + i)  # ifOutBroadcastPkts
    add_growing(xcol(6), COUNTER64, 9000000000 + 1000000 * i, itf["in_rate"])
    add(xcol(7), COUNTER64, 7000000000 + i)  # ifHCInUcastPkts
    add(xcol(8), COUNTER64, 8000 + i)  # ifHCInMulticastPkts
    add(xcol(9), COUNTER64, 9000 + i)  # ifHCInBroadcastPkts
    add_growing(xcol(10), COUNTER64, 5000000000 + 1000000 * i, itf["out_rate"])
    add(xcol(11), COUNTER64, 6000000000 + i)  # ifHCOutUcastPkts
    add(xcol(12), COUNTER64, 12000 + i)  # ifHCOutMulticastPkts
    add(xcol(13), COUNTER64, 13000 + i)  # ifHCOutBroadcastPkts
    add(xcol(14), INTEGER, 1 if itf["type"] in (23, 159) else 2)  # ifLinkUpDownTrapEnable
    add(xcol(15), GAUGE32, itf["speed"] // 1000000)  # ifHighSpeed, Mbit/s
    add(xcol(16), INTEGER, 1 if itf["type"] == 1 else 2)  # ifPromiscuousMode (bridge: true)
    add(xcol(17), INTEGER, 1 if itf["type"] in (6, 94) else 2)  # ifConnectorPresent
    add(xcol(18), OCTETS, {1: "LAN bridge", 2: "LAN port", 3: "ADSL line", 4: "PPPoA",
                           7: "ATM VC 0/38"}[i])  # ifAlias
    add(xcol(19), TIMETICKS, 0)  # ifCounterDiscontinuityTime

# --- ADSL line (ADSL-LINE-MIB), indexed by the adsl interface's ifIndex -----------------------
ADSL_IF = 3
ADSL_ROOT = f"{MIB2}.10.94"
ADSL = f"{ADSL_ROOT}.1.1"
ATUC_INV = [(OCTETS, "DSLAM-7731-A14"), (OCTETS, "ALCB"), (OCTETS, "E.38.4.29")]
ATUR_INV = [(OCTETS, "R62GX-0A050C01"), (OCTETS, "CRVN"), (OCTETS, "3.4.2")]
INTERLEAVE_DELAY = (16, 8)  # ms, ATU-C and ATU-R channel
CRC_BLOCK_LENGTH = (254, 27)


def adsl_records(line):
    """The line's objects for one state of the line: `line` holds both ends' values, the ATU-C
    (exchange end, downstream) first. None leaves an object out, as a line that is down does."""
    out = []

    def put(table, columns):
        for c, (tag, value) in enumerate(columns, start=1):
            if value is not None:
                out.append((f"{ADSL}.{table}.1.{c}.{ADSL_IF}", tag, str(value)))

    for end, (phys, chan, inv) in enumerate(((2, 4, ATUC_INV), (3, 5, ATUR_INV))):
        snr, atn, status, pwr, attainable = (line[k][end] for k in
                                             ("snr", "atn", "status", "pwr", "attainable"))
        put(phys, inv + [(INTEGER, snr), (GAUGE32, atn), (HEX, f"{status:02x}"),
                         (INTEGER, pwr), (GAUGE32, attainable)])
        put(chan, [(GAUGE32, INTERLEAVE_DELAY[end]), (GAUGE32, line["rate"][end]),
                   (GAUGE32, line["prev_rate"][end]), (GAUGE32, CRC_BLOCK_LENGTH[end])])
    # Performance counters since the agent's start: adslAtucPerfDataTable (6) and
    # adslAturPerfDataTable (7); the modem end has neither Lols nor Inits.
    c, r = line["perf"]
    put(6, [(COUNTER32, c[k]) for k in ("lofs", "loss", "lols", "lprs", "es", "inits")])
    put(7, [(COUNTER32, r[k]) for k in ("lofs", "loss", "lprs", "es")])
    # Channel performance: ReceivedBlks, TransmittedBlks, CorrectedBlks, UncorrectBlks.
    for table, blocks in zip((10, 11), line["blocks"]):
        put(table, [(COUNTER32, b) for b in blocks])
    return out


# The router as the public community shows it. The exchange end reports lossOfSigQuality (0x08)
# so the page's wide status cell has something to show; the modem end reports noDefect (0x80).
PUBLIC_LINE = dict(
    snr=(61, 120), atn=(315, 178), status=(0x08, 0x80), pwr=(198, 125),
    attainable=(10240000, 1024000), rate=(8128000, 448000), prev_rate=(7616000, 384000),
    perf=(dict(lofs=2, loss=1, lols=0, lprs=0, es=37, inits=3),
          dict(lofs=1, loss=0, lprs=0, es=12)),
    blocks=((51234567, 412345678, 1234, 56), (412340000, 51230000, 23456, 789)),
)
for record in adsl_records(PUBLIC_LINE):
    add(*record)

# --- ip group scalars (4.1-4.19, 4.23) --------------------------------------------------------
add(f"{MIB2}.4.1.0", INTEGER, 1)  # ipForwarding: forwarding
add(f"{MIB2}.4.2.0", INTEGER, 64)  # ipDefaultTTL
IP_COUNTERS = {3: 1843201, 4: 4, 5: 51, 6: 1120553, 7: 7, 8: 8, 9: 702104, 10: 688310,
               11: 11, 12: 12, 14: 14, 15: 15, 16: 16, 17: 17, 18: 18, 19: 19, 23: 23}
for n, v in IP_COUNTERS.items():
    add(f"{MIB2}.4.{n}.0", COUNTER32, v)
add(f"{MIB2}.4.13.0", INTEGER, 60)  # ipReasmTimeout, seconds

# --- icmp group (5.1-5.26): all Counter32, value 500 + n so each entry is recognisable ----------
for n in range(1, 27):
    add(f"{MIB2}.5.{n}.0", COUNTER32, 500 + n)

# --- tcp group scalars (6.1-6.12, 6.14, 6.15) ---------------------------------------------------
add(f"{MIB2}.6.1.0", INTEGER, 4)  # tcpRtoAlgorithm: vanj
add(f"{MIB2}.6.2.0", INTEGER, 200)  # tcpRtoMin, ms
add(f"{MIB2}.6.3.0", INTEGER, 120000)  # tcpRtoMax, ms
add(f"{MIB2}.6.4.0", INTEGER, -1)  # tcpMaxConn: -1 means dynamic
TCP_COUNTERS = {5: 605, 6: 606, 7: 607, 8: 608, 10: 61010, 11: 61111, 12: 612, 14: 614, 15: 615}
for n, v in TCP_COUNTERS.items():
    add(f"{MIB2}.6.{n}.0", COUNTER32, v)
add(f"{MIB2}.6.9.0", GAUGE32, 2)  # tcpCurrEstab

# --- udp group scalars (7.1-7.4) ---------------------------------------------------------------
for n, v in {1: 70101, 2: 702, 3: 703, 4: 70404}.items():
    add(f"{MIB2}.7.{n}.0", COUNTER32, v)

# --- snmp group (11.1-11.6, 11.8-11.22, 11.24-11.29 Counter32, 11.30 enable traps) -------------
for n in list(range(1, 7)) + list(range(8, 23)) + list(range(24, 30)):
    add(f"{MIB2}.11.{n}.0", COUNTER32, 1100 + n)
add(f"{MIB2}.11.30.0", INTEGER, 2)  # snmpEnableAuthenTraps: disabled


# --- tables ---------------------------------------------------------------------------------
def add_row(table_oid, index, columns):
    """One table row: columns is a list of (tag, value), column numbers from 1."""
    for c, (tag, value) in enumerate(columns, start=1):
        add(f"{table_oid}.1.{c}.{index}", tag, value)


# ipAddrTable (4.20), indexed by the address. 127.0.0.1 sits on ifIndex 6, an interface the
# router does not list, so it matches none of the discovered indices.
IP_ADDRS = [
    ("127.0.0.1", 6, "255.0.0.0", 1, 65535),
    ("192.168.1.254", 1, "255.255.255.0", 1, 65535),
    ("203.0.113.45", 4, "255.255.255.255", 1, 1492),
]
for addr, ifindex, mask, bcast, reasm in IP_ADDRS:
    add_row(f"{MIB2}.4.20", addr, [(IPADDR, addr), (INTEGER, ifindex), (IPADDR, mask),
                                   (INTEGER, bcast), (INTEGER, reasm)])

# ipRouteTable (4.21), indexed by the destination; all 13 columns.
ROUTES = [
    # dest, ifIndex, metric1, nexthop, type, proto, age, mask
    ("0.0.0.0", 4, 1, "203.0.113.1", 4, 2, 364475, "0.0.0.0"),
    ("10.20.0.0", 1, 2, "192.168.1.20", 4, 3, 95000, "255.255.0.0"),
    ("127.0.0.0", 6, 0, "127.0.0.1", 3, 2, 1049147, "255.0.0.0"),
    ("192.168.1.0", 1, 0, "192.168.1.254", 3, 2, 1049135, "255.255.255.0"),
    ("203.0.113.1", 4, 0, "203.0.113.45", 3, 2, 364475, "255.255.255.255"),
]
for dest, ifindex, metric1, nexthop, rtype, proto, age, mask in ROUTES:
    add_row(f"{MIB2}.4.21", dest, [
        (IPADDR, dest), (INTEGER, ifindex), (INTEGER, metric1), (INTEGER, -1), (INTEGER, -1),
        (INTEGER, -1), (IPADDR, nexthop), (INTEGER, rtype), (INTEGER, proto), (INTEGER, age),
        (IPADDR, mask), (INTEGER, -1), (OID, "0.0")])

# ipNetToMediaTable (4.22), indexed by ifIndex and address; type dynamic(3) or static(4).
ARP = [
    (1, "192.168.1.20", "3c970e4a1b2c", 3),
    (1, "192.168.1.33", "000b0c010203", 3),
    (1, "192.168.1.40", "f4ec38a0b1c2", 4),
]
for ifindex, addr, mac, mtype in ARP:
    add_row(f"{MIB2}.4.22", f"{ifindex}.{addr}",
            [(INTEGER, ifindex), (HEX, mac), (IPADDR, addr), (INTEGER, mtype)])

# tcpConnTable (6.13), indexed by local address, local port, remote address, remote port.
TCP_CONNS = [
    (2, "0.0.0.0", 23, "0.0.0.0", 0),  # listen: telnet
    (2, "0.0.0.0", 80, "0.0.0.0", 0),  # listen: web interface
    (5, "192.168.1.254", 23, "192.168.1.20", 51234),  # established
    (11, "192.168.1.254", 80, "192.168.1.33", 49822),  # timeWait
]
for state, laddr, lport, raddr, rport in TCP_CONNS:
    add_row(f"{MIB2}.6.13", f"{laddr}.{lport}.{raddr}.{rport}",
            [(INTEGER, state), (IPADDR, laddr), (INTEGER, lport), (IPADDR, raddr),
             (INTEGER, rport)])

# udpTable (7.5), indexed by local address and port.
UDP_LISTENERS = [("0.0.0.0", 53), ("0.0.0.0", 67), ("0.0.0.0", 161), ("192.168.1.254", 1900)]
for addr, port in UDP_LISTENERS:
    add_row(f"{MIB2}.7.5", f"{addr}.{port}", [(IPADDR, addr), (INTEGER, port)])


# --- the moving line: community "moving" ------------------------------------------------------
# The public router whose line changes over a series of steps. The variation module
# variation/linesteps.py serves sysUpTime and the ADSL subtree from one snapshot file per step;
# the steps play by the clock, STEP_SECONDS each, until a SetRequest of an INTEGER to the control
# object picks one (a Get of it tells the current step).
STEP_SECONDS = 15  # sysUpTime advances by as much from one step to the next
UPTIME_OID = f"{MIB2}.1.3"
MOVING_SUBTREES = {UPTIME_OID: "moving/uptime", ADSL_ROOT: "moving/adsl"}
# In the router maker's enterprise (sysObjectID's), after everything else the router holds.
STEP_CONTROL = "1.3.6.1.4.1.40917.99.1.0"


def moving_steps():
    """One (note, sysUpTime, line) per step. Each step starts from the one before and changes
    what its entry names; counters add their rise to the step before's value."""
    line = dict(PUBLIC_LINE, status=(0x80, 0x80))
    up = SYS_UPTIME
    steps = []

    def step(note, uptime=None, reset=False, es=(0, 0), blocks=None, perf_rise=None, **changes):
        nonlocal line, up
        up = uptime if uptime is not None else up + STEP_SECONDS * 100
        line = dict(line, **changes)
        c, r = (dict(p) for p in line["perf"])
        if reset:  # the counters start again from 0 with the agent
            c = dict.fromkeys(c, 0)
            r = dict.fromkeys(r, 0)
            c["inits"] = 1
        c["es"] += es[0]
        r["es"] += es[1]
        for (end, name), rise in (perf_rise or {}).items():
            (c, r)[end][name] += rise
        line["perf"] = (c, r)
        base = ((0,) * 4, (0,) * 4) if reset else line["blocks"]
        rise = blocks or ((2000, 30000, 5, 0), (30000, 2000, 20, 1))
        line["blocks"] = tuple(tuple(b + d for b, d in zip(base[e], rise[e])) for e in (0, 1))
        steps.append((note, up, line))

    step("normal: the public line with both ends noDefect", uptime=SYS_UPTIME, es=(0, 0),
         blocks=((0,) * 4, (0,) * 4))
    step("margin drifting down", snr=(58, 118), attainable=(10112000, 1024000), es=(1, 0))
    step("margin drifting down", snr=(52, 117), attainable=(9856000, 1020000), es=(2, 1))
    step("margin drifting down", snr=(44, 116), attainable=(9472000, 1016000), es=(3, 1))
    step("margin drifting down", snr=(36, 115), attainable=(9088000, 1012000), es=(4, 1))
    step("rain: margin below 3 dB, a burst of errored seconds", snr=(27, 112),
         attainable=(8576000, 1008000), es=(15, 2),
         blocks=((2000, 30000, 400, 25), (30000, 2000, 1500, 80)))
    step("line down: lossOfSignal at both ends, line values absent", status=(0x20, 0x20),
         snr=(None, None), atn=(None, None), pwr=(None, None), attainable=(None, None),
         rate=(None, None), es=(4, 2), blocks=((0,) * 4, (0,) * 4),
         perf_rise={(0, "lofs"): 1, (0, "loss"): 1, (0, "lols"): 1, (1, "lofs"): 1,
                    (1, "loss"): 1})
    step("resync at a lower rate: noDefect, Inits + 1", status=(0x80, 0x80), snr=(64, 121),
         atn=(318, 180), pwr=(196, 124), attainable=(9216000, 1024000),
         rate=(6144000, 384000), prev_rate=(8128000, 448000), es=(1, 0),
         perf_rise={(0, "inits"): 1})
    step("normal at the new rate", snr=(66, 122), es=(0, 1))
    step("normal at the new rate", snr=(67, 122), es=(1, 0))
    step("router restart: sysUpTime 45 s, counters from 0, same rates", uptime=45 * 100,
         reset=True, snr=(68, 122))
    step("normal after the restart", snr=(68, 123), es=(1, 0))
    return steps


MOVING_STEPS = moving_steps()


def oid_key(record):
    return tuple(int(arc) for arc in record[0].split("."))


def under(oid, root):
    return oid == root or oid.startswith(root + ".")


def write(path, recs):
    keys = [oid_key(r) for r in recs]
    if len(set(keys)) != len(keys):
        sys.exit(f"make_snmprec: an OID occurs twice in {path}")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="ascii", newline="\n") as out:
        for oid, tag, value in sorted(recs, key=oid_key):
            out.write(f"{oid}|{tag}|{value}\n")


def main():
    data = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")
    write(os.path.join(data, "public.snmprec"), records)
    print(f"wrote {len(records)} records to data/public.snmprec")

    # moving.snmprec: the public records outside the moving subtrees, and one linesteps record
    # serving each subtree from its snapshot directory.
    moving = [r for r in records if not any(under(r[0], root) for root in MOVING_SUBTREES)]
    for root, folder in MOVING_SUBTREES.items():
        moving.append((root, ":linesteps", f"dir={folder},period={STEP_SECONDS}"))
    moving.append((STEP_CONTROL, "2:linesteps", f"steps={len(MOVING_STEPS)},period={STEP_SECONDS}"))
    write(os.path.join(data, "moving.snmprec"), moving)
    shutil.rmtree(os.path.join(data, "moving"), ignore_errors=True)
    for n, (_, uptime, line) in enumerate(MOVING_STEPS):
        write(os.path.join(data, "moving", "uptime", f"{n:02d}.snmprec"),
              [(f"{UPTIME_OID}.0", TIMETICKS, str(uptime))])
        write(os.path.join(data, "moving", "adsl", f"{n:02d}.snmprec"), adsl_records(line))
    print(f"wrote data/moving.snmprec and {len(MOVING_STEPS)} steps under data/moving")


if __name__ == "__main__":
    main()
