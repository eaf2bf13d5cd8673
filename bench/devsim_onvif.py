#!/usr/bin/env python3
"""What the simulated ONVIF devices can carry, so that the library's ONVIF benchmark measures the library and not
the simulator. Starts vexa-devsim with N ONVIF devices that hold every answer D ms, then measures on loopback:
how long one Probe takes to bring all N ProbeMatches, how long N GetDeviceInformation calls from C client threads
take, and the simulator's threads and resident memory. Prints one JSON object.

    bash scripts/netns.sh python3 bench/devsim_onvif.py [build-dir] [N] [D] [C]
"""
import concurrent.futures
import json
import os
import signal
import socket
import subprocess
import sys
import time
import urllib.request

build = sys.argv[1] if len(sys.argv) > 1 else "build"
count = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
delay = int(sys.argv[3]) if len(sys.argv) > 3 else 20
clients = int(sys.argv[4]) if len(sys.argv) > 4 else 100
wsd_port = 43871
base = (127 << 24) | (46 << 16) | 1

env = dict(os.environ, VEXA_IFACE="127.0.0.1", VEXA_PORT="43870")
sim = subprocess.Popen([os.path.join(build, "bin", "vexa-devsim"), "--count", "0", "--onvif", str(count),
                        "--onvif-base", "127.46.0.1", "--wsd-port", str(wsd_port), "--onvif-delay", str(delay)],
                       env=env, stderr=subprocess.DEVNULL)


def address(i):
    return socket.inet_ntoa((base + i).to_bytes(4, "big"))


BODY = (b'<?xml version="1.0"?><e:Envelope xmlns:e="http://www.w3.org/2003/05/soap-envelope" '
        b'xmlns:tds="http://www.onvif.org/ver10/device/wsdl"><e:Body><tds:GetDeviceInformation/></e:Body></e:Envelope>')


def information(i):
    request = urllib.request.Request("http://%s:8080/onvif/device_service" % address(i), data=BODY,
                                     headers={"Content-Type": "application/soap+xml"})
    with urllib.request.urlopen(request, timeout=10) as answer:
        return answer.status


try:
    deadline = time.time() + 30
    while True:
        try:
            information(count - 1)
            break
        except OSError:
            if time.time() > deadline:
                raise
            time.sleep(0.05)
    probe_socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    probe_socket.bind(("127.0.0.1", 0))
    probe_socket.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton("127.0.0.1"))
    probe_socket.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 8 << 20)
    probe = ('<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" '
             'xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing" '
             'xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery"><s:Header>'
             '<a:MessageID>urn:uuid:6a0c1e57-0000-4000-8000-%012d</a:MessageID></s:Header><s:Body><d:Probe/>'
             '</s:Body></s:Envelope>' % os.getpid()).encode()
    start = time.time()
    probe_socket.sendto(probe, ("239.255.255.250", wsd_port))
    probe_socket.settimeout(2.0)
    heard = set()
    last = start
    try:
        while len(heard) < count:
            _, sender = probe_socket.recvfrom(65536)
            heard.add(sender[0])
            last = time.time()
    except socket.timeout:
        pass
    start_http = time.time()
    with concurrent.futures.ThreadPoolExecutor(clients) as pool:
        statuses = list(pool.map(information, range(count)))
    http_seconds = time.time() - start_http
    with open("/proc/%d/status" % sim.pid) as status:
        fields = dict(line.split(":", 1) for line in status)
    print(json.dumps({
        "devices": count, "answer_delay_ms": delay, "client_threads": clients,
        "probe_matches": len(heard), "probe_matches_s": round(last - start, 3),
        "device_information_ok": statuses.count(200), "device_information_s": round(http_seconds, 3),
        "simulator_threads": int(fields["Threads"]), "simulator_rss_kib": int(fields["VmRSS"].split()[0]),
    }))
finally:
    sim.send_signal(signal.SIGTERM)
    sim.wait(timeout=30)
