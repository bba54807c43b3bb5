#!/usr/bin/env python3
"""The latency proxy alone: round trips of a 100-octet message to a local echo server, directly and
through latency_proxy with 0 ms and 1 ms each way (microseconds per round trip):

  proxy_alone.py PATH_TO_LATENCY_PROXY    (build it: c++ -O2 -pthread -o P bench/e2e/latency_proxy.cpp)
"""
import socket
import subprocess
import sys
import threading
import time


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def echo_server(listener):
    while True:
        c, _ = listener.accept()
        c.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

        def serve(c=c):
            while True:
                data = c.recv(65536)
                if not data:
                    break
                c.sendall(data)

        threading.Thread(target=serve, daemon=True).start()


def round_trip_us(port, count):
    c = socket.create_connection(("127.0.0.1", port))
    c.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    message = b"x" * 100
    start = time.perf_counter()
    for _ in range(count):
        c.sendall(message)
        got = 0
        while got < len(message):
            got += len(c.recv(65536))
    return (time.perf_counter() - start) / count * 1e6


listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(4)
echo = listener.getsockname()[1]
threading.Thread(target=echo_server, args=(listener,), daemon=True).start()
ports = [free_port(), free_port()]
proxies = [subprocess.Popen([sys.argv[1], str(p), str(echo), ms, "120"]) for p, ms in zip(ports, ("0", "1"))]
time.sleep(0.3)
try:
    for _ in range(3):
        print("direct %5.0f us   proxy 0 ms %5.0f us   proxy 1 ms %5.0f us" %
              (round_trip_us(echo, 5000), round_trip_us(ports[0], 5000), round_trip_us(ports[1], 300)))
finally:
    for p in proxies:
        p.terminate()
