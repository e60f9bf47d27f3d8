"""A reverse proxy on 127.0.0.1 that holds every HTTP request for a fixed time before it
passes it on, so that a loopback site answers with the round trip of a real network.

Each client connection gets its own connection to the server behind, kept alive as long as
the client keeps its own, so a tool that reuses connections keeps doing so through the
proxy. Requests on one connection are handled one after another, as HTTP/1.1 asks.

    with DelayProxy(listen_port, server_port, delay_ms): ...

runs the proxy in a child process (python3 delay_proxy.py LISTEN SERVER MS), started and
stopped by its own process id.
"""

import asyncio
import os
import signal
import socket
import subprocess
import sys
import time

HEAD_LIMIT = 64 * 1024


async def read_head(reader):
    """The header block up to and including the empty line; b"" at the end of the stream."""
    try:
        return await reader.readuntil(b"\r\n\r\n")
    except asyncio.IncompleteReadError as end:
        if end.partial:
            raise ConnectionError("connection ended inside a header block")
        return b""
    except asyncio.LimitOverrunError:
        raise ConnectionError("header block too long")


def header_values(head):
    """(first line, {lower-case name: value}) of a header block."""
    lines = head.decode("latin-1").split("\r\n")
    fields = {}
    for line in lines[1:]:
        if ":" in line:
            name, value = line.split(":", 1)
            fields[name.strip().lower()] = value.strip()
    return lines[0], fields


async def copy_exactly(reader, writer, count):
    while count > 0:
        chunk = await reader.read(min(count, 256 * 1024))
        if not chunk:
            raise ConnectionError("connection ended inside a body")
        writer.write(chunk)
        count -= len(chunk)


async def copy_chunked(reader, writer):
    while True:
        size_line = await reader.readuntil(b"\r\n")
        writer.write(size_line)
        size = int(size_line.split(b";", 1)[0].strip(), 16)
        if size == 0:
            # Trailer fields, then the empty line.
            while True:
                line = await reader.readuntil(b"\r\n")
                writer.write(line)
                if line == b"\r\n":
                    return
        await copy_exactly(reader, writer, size + 2)


async def copy_body(reader, writer, fields, no_body):
    """Copies one message body; False when it ran to the end of the connection."""
    if no_body:
        return True
    if "chunked" in fields.get("transfer-encoding", "").lower():
        await copy_chunked(reader, writer)
        return True
    if "content-length" in fields:
        await copy_exactly(reader, writer, int(fields["content-length"]))
        return True
    while True:
        chunk = await reader.read(256 * 1024)
        if not chunk:
            return False
        writer.write(chunk)


async def serve_client(client_reader, client_writer, server_port, delay):
    server_reader = server_writer = None
    try:
        while True:
            head = await read_head(client_reader)
            if not head:
                return
            request_line, fields = header_values(head)
            await asyncio.sleep(delay)
            if server_writer is None:
                server_reader, server_writer = await asyncio.open_connection(
                    "127.0.0.1", server_port, limit=HEAD_LIMIT)
            server_writer.write(head)
            await copy_body(client_reader, server_writer, fields,
                            "content-length" not in fields and
                            "transfer-encoding" not in fields)
            await server_writer.drain()

            answer = await read_head(server_reader)
            if not answer:
                return
            status_line, answer_fields = header_values(answer)
            status = int(status_line.split()[1])
            client_writer.write(answer)
            no_body = (request_line.startswith("HEAD ") or status in (204, 304)
                       or 100 <= status < 200)
            complete = await copy_body(server_reader, client_writer, answer_fields, no_body)
            await client_writer.drain()
            if (not complete or answer_fields.get("connection", "").lower() == "close"
                    or fields.get("connection", "").lower() == "close"):
                return
    except (ConnectionError, asyncio.IncompleteReadError, ValueError, IndexError):
        return
    finally:
        for writer in (client_writer, server_writer):
            if writer is not None:
                writer.close()


async def serve(listen_port, server_port, delay_ms):
    delay = delay_ms / 1000.0
    server = await asyncio.start_server(
        lambda r, w: serve_client(r, w, server_port, delay), "127.0.0.1", listen_port,
        limit=HEAD_LIMIT, backlog=256)
    async with server:
        await server.serve_forever()


class DelayProxy:
    """The proxy in a child process, for the lifetime of a with block."""

    def __init__(self, listen_port, server_port, delay_ms):
        self.listen_port, self.server_port, self.delay_ms = listen_port, server_port, delay_ms
        self.process = None

    def __enter__(self):
        self.process = subprocess.Popen(
            [sys.executable, os.path.abspath(__file__), str(self.listen_port),
             str(self.server_port), str(self.delay_ms)], stdout=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError("the delay proxy did not start")
            try:
                socket.create_connection(("127.0.0.1", self.listen_port), timeout=0.2).close()
                return self
            except OSError:
                time.sleep(0.05)
        raise RuntimeError("the delay proxy did not accept connections")

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        asyncio.run(serve(int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])))
    except (KeyboardInterrupt, SystemExit):
        pass
