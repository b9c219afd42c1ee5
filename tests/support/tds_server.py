#!/usr/bin/env python3
"""A small TDS 7.4 server for the tests: it speaks the part of the wire protocol the SQL Server
provider and FreeTDS's tsql speak (pre-login without encryption, login, SQL batches, RPC calls of
sp_executesql with the types the provider binds) and runs every statement on an SQLite database
behind it. Parameters are stored as they come, for SQLite's column affinity to convert; what
the tests read back goes through tsql or the provider, which decode the types sent here.

Usage: tds_server.py DATABASE [--drop-after-inserts N]
Listens on a free loopback port and prints "PORT <n>" on the first line of its output.
With --drop-after-inserts N the server closes the connection instead of answering the
insert that follows the first N, the way a server that goes away mid-run would.
"""
import argparse
import datetime
import decimal
import socket
import socketserver
import sqlite3
import struct
import sys
import threading
import uuid

from tds_sql import translate, declared_type, catalog_views

COLLATION = bytes([0x09, 0x04, 0xD0, 0x00, 0x34])  # Latin1 general, code page 1252
EPOCH_1900 = datetime.datetime(1900, 1, 1)


def ucs2(text):
    return text.encode("utf-16-le")


def b_varchar(text):
    return bytes([len(text)]) + ucs2(text)


def us_varchar(text):
    return struct.pack("<H", len(text)) + ucs2(text)


class ClientGone(Exception):
    pass


# ---- column types: how each is described in COLMETADATA and how values are written ----

class ColumnType:
    """One TDS column type: its TYPE_INFO and the encoding of a value in a ROW token."""

    def __init__(self, code, size=0, precision=0, scale=0):
        self.code, self.size, self.precision, self.scale = code, size, precision, scale

    def info(self):
        c = self.code
        if c in (0x26, 0x68, 0x6D, 0x6E, 0x6F, 0x24):
            return bytes([c, self.size])
        if c == 0x6A:
            return bytes([c, self.size, self.precision, self.scale])
        return bytes([c]) + struct.pack("<H", self.size) + COLLATION  # VARCHAR, NVARCHAR

    def encode(self, v):
        if self.code in (0xA7, 0xE7):
            if v is None:
                return b"\xff\xff"
            data = self.payload(v)
            return struct.pack("<H", len(data)) + data
        if v is None:
            return b"\x00"
        data = self.payload(v)
        return bytes([len(data)]) + data

    def payload(self, v):
        c = self.code
        if c == 0x26:
            return int(float(v)).to_bytes(self.size, "little", signed=self.size > 1)
        if c == 0x68:
            return b"\x01" if float(v) else b"\x00"
        if c == 0x6D:
            return struct.pack("<d", float(v))
        if c == 0x6E:
            scaled = int(decimal.Decimal(str(v)).scaleb(4).to_integral_value())
            return struct.pack("<iI", scaled >> 32, scaled & 0xFFFFFFFF)
        if c == 0x6A:
            d = decimal.Decimal(str(v)).scaleb(self.scale).to_integral_value()
            return bytes([0 if d < 0 else 1]) + int(abs(d)).to_bytes(self.size - 1, "little")
        if c == 0x6F:
            t = parse_datetime(v)
            delta = t - EPOCH_1900
            ticks = round((delta.seconds + delta.microseconds / 1e6) * 300)
            return struct.pack("<iI", delta.days, ticks)
        if c == 0x24:
            return uuid.UUID(str(v)).bytes_le
        return ucs2(str(v)) if c == 0xE7 else str(v).encode("cp1252", "replace")


def parse_datetime(v):
    text = str(v).replace("T", " ")
    for form in ("%Y%m%d %H:%M:%S", "%Y-%m-%d %H:%M:%S"):
        try:
            return datetime.datetime.strptime(text, form)
        except ValueError:
            pass
    raise ValueError("'%s' is not a date" % text)


def type_for_declared(decl):
    """The TDS type of a column declared with the SQL Server type name `decl`."""
    name, size, precision, scale = declared_type(decl)
    fixed = {"int": (0x26, 4), "bit": (0x68, 1), "float": (0x6D, 8), "money": (0x6E, 8),
             "datetime": (0x6F, 8), "uniqueidentifier": (0x24, 16)}
    if name in fixed:
        return ColumnType(*fixed[name])
    if name in ("decimal", "numeric"):
        precision = precision or 18
        return ColumnType(0x6A, 17, precision, scale)
    if name == "varchar":
        return ColumnType(0xA7, size)
    if name == "nvarchar":
        return ColumnType(0xE7, size * 2)
    return None


# ---- reading what the client sends ----

class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, n):
        out = self.data[self.at:self.at + n]
        self.at += n
        return out

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def b_varchar(self):
        return self.take(self.u8() * 2).decode("utf-16-le")

    def type_info(self):
        """The (code, size) of a TYPE_INFO: NVARCHAR or one of the nullable fixed-size types."""
        code = self.u8()
        if code == 0xE7:
            size = self.u16()
            self.take(5)  # the collation
            return code, size
        return code, self.u8()

    def value(self, info):
        """A parameter's value as the Python value it is stored as."""
        if info[0] == 0xE7:
            n = self.u16()
            return None if n == 0xFFFF else self.take(n).decode("utf-16-le")
        n = self.u8()
        return decode_fixed(info[0], self.take(n)) if n else None


def decode_fixed(code, data):
    if code in (0x26, 0x68):  # INTN, BITN
        return int.from_bytes(data, "little", signed=len(data) > 1)
    if code == 0x6D:  # FLTN
        return struct.unpack("<d", data)[0]
    high, low = struct.unpack("<iI", data)  # MONEYN
    return str(decimal.Decimal((high << 32) | low).scaleb(-4))


# ---- the conversation with one client ----

class Session(socketserver.BaseRequestHandler):
    def setup(self):
        self.db = sqlite3.connect(self.server.database, isolation_level=None, timeout=10)
        catalog_views(self.db)
        self.out = b""

    def finish(self):
        self.db.close()

    def handle(self):
        try:
            while True:
                kind, message = self.receive()
                if kind == 0x12:
                    self.prelogin()
                elif kind == 0x10:
                    self.login()
                elif kind == 0x01:
                    headers = struct.unpack("<I", message[:4])[0]
                    self.batch(message[headers:].decode("utf-16-le"))
                elif kind == 0x03:
                    self.rpc(message)
                else:
                    return
        except (ClientGone, ConnectionError):
            return

    def receive(self):
        message, kind = b"", None
        while True:
            header = self.recv_exact(8)
            kind = header[0]
            length = struct.unpack(">H", header[2:4])[0]
            message += self.recv_exact(length - 8)
            if header[1] & 0x01:
                return kind, message

    def recv_exact(self, n):
        data = b""
        while len(data) < n:
            chunk = self.request.recv(n - len(data))
            if not chunk:
                raise ClientGone()
            data += chunk
        return data

    def send(self, kind):
        data, self.out = self.out, b""
        size = 4096 - 8
        chunks = [data[i:i + size] for i in range(0, len(data), size)] or [b""]
        for i, chunk in enumerate(chunks):
            last = i == len(chunks) - 1
            header = struct.pack(">BBHHBB", kind, 1 if last else 0, len(chunk) + 8, 0, i + 1, 0)
            self.request.sendall(header + chunk)

    def prelogin(self):
        options = [(0, bytes([16, 0, 0, 0, 0, 0])), (1, b"\x02")]
        offset = len(options) * 5 + 1
        table, data = b"", b""
        for token, value in options:
            table += struct.pack(">BHH", token, offset + len(data), len(value))
            data += value
        self.out = table + b"\xff" + data
        self.send(0x04)

    def login(self):
        ack = b"\x01" + bytes([0x74, 0, 0, 4]) + b_varchar("kpx test server") + bytes(
            [16, 0, 0, 0])
        self.out += b"\xad" + struct.pack("<H", len(ack)) + ack
        self.done(0)
        self.send(0x04)

    # -- statements --

    def batch(self, text):
        self.run(text, {}, proc=False)
        self.finish_reply(False)

    def rpc(self, message):
        r = Reader(message)
        r.take(r.u32() - 4)
        n = r.u16()
        r.take(2 if n == 0xFFFF else n * 2)  # sp_executesql, by its number or its name
        r.u16()
        params = []
        while r.at < len(r.data) and r.data[r.at] not in (0x80, 0xFF):
            pname = r.b_varchar()
            r.u8()
            params.append((pname, r.value(r.type_info())))
        named = {name.lstrip("@"): value for name, value in params[2:]}
        self.run(params[0][1], named, proc=True)
        self.finish_reply(True)

    def finish_reply(self, proc):
        if proc:
            self.out += b"\x79" + struct.pack("<i", 0)
            self.out += b"\xfe" + struct.pack("<HHQ", 0, 0, 0)
        self.send(0x04)

    def run(self, text, params, proc):
        """Runs one statement and appends its result tokens."""
        # Inside a procedure call more tokens follow every DONEINPROC: its "more" bit is set.
        token, more = (b"\xff", 0x01) if proc else (b"\xfd", 0)

        def done(status, command=0, count=0):
            self.out += token + struct.pack("<HHQ", status | more, command, count)

        try:
            action, sql = translate(text)
            if action == "ignore":
                done(0)
                return
            if action == "insert":
                self.count_insert()
            cursor = self.db.execute(sql, params)
            if cursor.description:
                rows = cursor.fetchall()
                self.result_set(sql, cursor.description, rows, params)
                done(0x10, 0xC1, len(rows))
            else:
                count = max(cursor.rowcount, 0)
                done(0x10 if action in ("count", "insert") else 0, 0xC3, count)
        except (sqlite3.Error, ValueError) as e:
            self.error(102, 15, str(e))
            done(0x02)

    def count_insert(self):
        limit = self.server.drop_after_inserts
        if limit is None:
            return
        with self.server.lock:
            self.server.inserts += 1
            if self.server.inserts > limit:
                self.request.shutdown(socket.SHUT_RDWR)
                raise ClientGone()

    def column_types(self, sql, params):
        """The declared type of each result column, where the column is a table's."""
        if params:
            return {}
        self.db.execute("DROP VIEW IF EXISTS temp.kpx_probe")
        self.db.execute("CREATE TEMP VIEW kpx_probe AS " + sql)
        info = self.db.execute("PRAGMA temp.table_info(kpx_probe)").fetchall()
        self.db.execute("DROP VIEW temp.kpx_probe")
        return {i: row[2] for i, row in enumerate(info) if row[2]}

    def result_set(self, sql, description, rows, params):
        declared = self.column_types(sql, params)
        types = []
        for i, d in enumerate(description):
            t = type_for_declared(declared[i]) if i in declared else None
            types.append(t or ColumnType(0xE7, 8000))  # a computed column's values as text
        self.metadata([d[0] for d in description], types)
        for row in rows:
            self.out += b"\xd1" + b"".join(t.encode(v) for t, v in zip(types, row))

    def metadata(self, names, types):
        self.out += b"\x81" + struct.pack("<H", len(names))
        for name, t in zip(names, types):
            self.out += struct.pack("<IH", 0, 0x0009) + t.info() + b_varchar(name or "")

    def error(self, number, severity, text):
        body = struct.pack("<iBB", number, 1, severity) + us_varchar(text) + b_varchar(
            "kpx") + b_varchar("") + struct.pack("<i", 1)
        self.out += b"\xaa" + struct.pack("<H", len(body)) + body

    def done(self, status):
        self.out += b"\xfd" + struct.pack("<HHQ", status, 0, 0)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("database")
    parser.add_argument("--drop-after-inserts", type=int)
    args = parser.parse_args()
    server = Server(("127.0.0.1", 0), Session)
    server.database = args.database
    server.drop_after_inserts = args.drop_after_inserts
    server.inserts = 0
    server.lock = threading.Lock()
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
