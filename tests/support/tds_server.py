#!/usr/bin/env python3
"""A small TDS 7.4 server for the tests: it speaks the wire protocol a SQL Server client
speaks (pre-login without encryption, login, SQL batches, RPC calls of sp_executesql, bulk
loads) and runs every statement on an SQLite database behind it.

Usage: tds_server.py DATABASE [--drop-after-inserts N]
Listens on a free loopback port and prints "PORT <n>" on the first line of its output.
With --drop-after-inserts N the server closes the connection instead of answering the
insert that follows the first N, the way a server that goes away mid-run would.
"""
import argparse
import datetime
import re
import decimal
import os
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
EPOCH_0001 = datetime.date(1, 1, 1)


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
        if c == 0x2A:
            return bytes([c, self.scale])
        if c in (0xA7, 0xAF, 0xE7, 0xEF):
            return bytes([c]) + struct.pack("<H", self.size) + COLLATION
        if c in (0xA5, 0xAD):
            return bytes([c]) + struct.pack("<H", self.size)
        if c in (0x23, 0x63):
            return bytes([c]) + struct.pack("<I", 0x7FFFFFFF) + COLLATION + b"\x00"
        if c == 0x22:
            return bytes([c]) + struct.pack("<I", 0x7FFFFFFF) + b"\x00"
        raise ValueError("type %#x" % c)

    def encode(self, v):
        c = self.code
        if c in (0x23, 0x63, 0x22):
            if v is None:
                return b"\x00"
            data = self.payload(v)
            return b"\x10" + b"\x00" * 16 + b"\x00" * 8 + struct.pack("<I", len(data)) + data
        if c in (0xA7, 0xAF, 0xE7, 0xEF, 0xA5, 0xAD):
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
            return struct.pack("<f" if self.size == 4 else "<d", float(v))
        if c == 0x6E:
            scaled = int(decimal.Decimal(str(v)).scaleb(4).to_integral_value())
            if self.size == 4:
                return struct.pack("<i", scaled)
            return struct.pack("<iI", scaled >> 32, scaled & 0xFFFFFFFF)
        if c == 0x6A:
            d = decimal.Decimal(str(v)).scaleb(self.scale).to_integral_value()
            return bytes([0 if d < 0 else 1]) + int(abs(d)).to_bytes(self.size - 1, "little")
        if c == 0x6F:
            t = parse_datetime(v)
            delta = t - EPOCH_1900
            ticks = round((delta.seconds + delta.microseconds / 1e6) * 300)
            return struct.pack("<iI", delta.days, ticks)
        if c == 0x2A:
            t = parse_datetime(v)
            units = (t.hour * 3600 + t.minute * 60 + t.second) * 10**7 + t.microsecond * 10
            days = (t.date() - EPOCH_0001).days
            return units.to_bytes(5, "little") + days.to_bytes(3, "little")
        if c == 0x24:
            return uuid.UUID(str(v)).bytes_le
        if c in (0xA5, 0xAD, 0x22):
            return v if isinstance(v, bytes) else str(v).encode()
        text = v.decode("utf-8", "replace") if isinstance(v, bytes) else as_text(v)
        if c in (0xE7, 0xEF, 0x63):
            return ucs2(text)
        return text.encode("cp1252", "replace")


def as_text(v):
    if isinstance(v, float) and v.is_integer():
        return str(int(v))
    return str(v)


def parse_datetime(v):
    text = str(v).replace("T", " ")
    for form in ("%Y%m%d %H:%M:%S", "%Y%m%d %H:%M:%S.%f", "%Y-%m-%d %H:%M:%S.%f", "%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", "%Y-%m-%d"):
        try:
            return datetime.datetime.strptime(text, form)
        except ValueError:
            pass
    raise ValueError("'%s' is not a date" % text)


def declarations(text):
    """{"@p1": "int", …} from the parameter list of an sp_executesql call."""
    out = {}
    for part in re.split(r",(?![^(]*\))", text or ""):
        words = part.split(None, 1)
        if len(words) == 2:
            out[words[0].lower()] = words[1]
    return out


def typed(value, decl):
    """A parameter's value converted to its declared type, as the server converts it."""
    name, _, _, scale = declared_type(decl)
    if value is None or not name:
        return value
    try:
        if name in ("int", "bigint", "smallint", "tinyint", "bit"):
            number = int(decimal.Decimal(str(value)))
            return int(number != 0) if name == "bit" else number
        if name in ("float", "real"):
            return float(value)
        if name in ("decimal", "numeric", "money", "smallmoney"):
            return str(decimal.Decimal(str(value)).quantize(
                decimal.Decimal(1).scaleb(-(scale if name in ("decimal", "numeric") else 4))))
        if name in ("datetime", "datetime2", "smalldatetime", "date"):
            return format_datetime(parse_datetime(value))
        if name == "uniqueidentifier":
            return str(uuid.UUID(str(value))).upper()
    except (ValueError, decimal.InvalidOperation):
        raise ValueError("Conversion failed when converting the value '%s' to data type %s."
                         % (value, name))
    return value


def type_for_declared(decl):
    """The TDS type of a column declared with the SQL Server type name `decl`."""
    name, size, precision, scale = declared_type(decl)
    fixed = {"int": (0x26, 4), "bigint": (0x26, 8), "smallint": (0x26, 2),
             "tinyint": (0x26, 1), "bit": (0x68, 1), "float": (0x6D, 8), "real": (0x6D, 4),
             "money": (0x6E, 8), "smallmoney": (0x6E, 4), "datetime": (0x6F, 8),
             "smalldatetime": (0x6F, 8), "uniqueidentifier": (0x24, 16)}
    if name in fixed:
        return ColumnType(*fixed[name])
    if name in ("decimal", "numeric"):
        precision = precision or 18
        size = 5 if precision <= 9 else 9 if precision <= 19 else 13 if precision <= 28 else 17
        return ColumnType(0x6A, size, precision, scale)
    if name in ("datetime2", "date"):
        return ColumnType(0x2A, 8, 0, 7)
    if name in ("text", "ntext", "image") or size == -1:
        return ColumnType({"text": 0x23, "varchar": 0x23, "image": 0x22,
                           "varbinary": 0x22}.get(name, 0x63))
    if name in ("char", "varchar", "nchar", "nvarchar", "binary", "varbinary"):
        code = {"char": 0xAF, "varchar": 0xA7, "nchar": 0xEF, "nvarchar": 0xE7,
                "binary": 0xAD, "varbinary": 0xA5}[name]
        size = min(size or 1, 8000 if code not in (0xE7, 0xEF) else 4000)
        return ColumnType(code, size * 2 if code in (0xE7, 0xEF) else size)
    return None


def type_for_values(values):
    """The TDS type of a computed column, from the first value that is not NULL."""
    for v in values:
        if v is None:
            continue
        if isinstance(v, int):
            return ColumnType(0x26, 4 if all(
                x is None or -2**31 <= x < 2**31 for x in values) else 8)
        if isinstance(v, float):
            return ColumnType(0x6D, 8)
        if isinstance(v, bytes):
            return ColumnType(0xA5, 8000)
        break
    return ColumnType(0xE7, 8000)


# ---- reading what the client sends ----

class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, n):
        if self.at + n > len(self.data):
            raise ValueError("truncated message")
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
        """A TYPE_INFO as (code, size, precision, scale)."""
        code = self.u8()
        size = precision = scale = 0
        if code in (0x30, 0x32, 0x34, 0x38, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x7A, 0x7F, 0x1F):
            size = {0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0x3A: 4, 0x3B: 4, 0x3C: 8, 0x3D: 8,
                    0x3E: 8, 0x7A: 4, 0x7F: 8, 0x1F: 0}[code]
        elif code in (0x26, 0x68, 0x6D, 0x6E, 0x6F, 0x24):
            size = self.u8()
        elif code in (0x6A, 0x6C):
            size, precision, scale = self.u8(), self.u8(), self.u8()
        elif code in (0x2A, 0x29, 0x2B):
            scale = self.u8()
        elif code == 0x28:
            pass
        elif code in (0xA7, 0xAF, 0xE7, 0xEF):
            size = self.u16()
            self.take(5)
        elif code in (0xA5, 0xAD):
            size = self.u16()
        elif code in (0x23, 0x63, 0x22):
            size = self.u32()
            if code != 0x22:
                self.take(5)
        else:
            raise ValueError("unknown type %#x" % code)
        return code, size, precision, scale

    def value(self, info, in_row=False):
        """A value of the type `info` as the Python value it is stored as."""
        code, size, precision, scale = info
        if code in (0xA7, 0xAF, 0xE7, 0xEF, 0xA5, 0xAD) and size == 0xFFFF:
            return self.plp(code)
        if code in (0x23, 0x63, 0x22):
            if in_row:
                if self.u8() == 0:
                    return None
                self.take(24)
            n = self.u32() if in_row else self.u32()
            if n == 0xFFFFFFFF:
                return None
            return decode_bytes(code, self.take(n))
        if code in (0xA7, 0xAF, 0xE7, 0xEF, 0xA5, 0xAD):
            n = self.u16()
            return None if n == 0xFFFF else decode_bytes(code, self.take(n))
        if code in (0x30, 0x32, 0x34, 0x38, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x7A, 0x7F):
            n = size
        elif code == 0x28:
            n = self.u8()
        else:
            n = self.u8()
        if n == 0:
            return None
        return decode_fixed(code, self.take(n), scale)

    def plp(self, code):
        total = struct.unpack("<Q", self.take(8))[0]
        if total == 0xFFFFFFFFFFFFFFFF:
            return None
        data = b""
        while True:
            n = self.u32()
            if n == 0:
                break
            data += self.take(n)
        return decode_bytes(code, data)


def decode_bytes(code, data):
    if code in (0xE7, 0xEF, 0x63):
        return data.decode("utf-16-le")
    if code in (0xA7, 0xAF, 0x23):
        return data.decode("cp1252")
    return bytes(data)


def decode_fixed(code, data, scale):
    n = len(data)
    if code in (0x30, 0x34, 0x38, 0x7F, 0x26, 0x32, 0x68):
        return int.from_bytes(data, "little", signed=n > 1)
    if code in (0x3B, 0x3E, 0x6D):
        return struct.unpack("<f" if n == 4 else "<d", data)[0]
    if code in (0x3C, 0x7A, 0x6E):
        if n == 4:
            scaled = struct.unpack("<i", data)[0]
        else:
            high, low = struct.unpack("<iI", data)
            scaled = (high << 32) | low
        return str(decimal.Decimal(scaled).scaleb(-4))
    if code in (0x6A, 0x6C):
        magnitude = int.from_bytes(data[1:], "little")
        return str(decimal.Decimal(magnitude if data[0] else -magnitude).scaleb(-scale))
    if code in (0x3D, 0x3A, 0x6F):
        if n == 4:
            days, minutes = struct.unpack("<HH", data)
            t = EPOCH_1900 + datetime.timedelta(days=days, minutes=minutes)
        else:
            days, ticks = struct.unpack("<iI", data)
            t = EPOCH_1900 + datetime.timedelta(days=days, milliseconds=round(ticks * 10 / 3))
        return format_datetime(t)
    if code == 0x2A:
        units = int.from_bytes(data[:-3], "little") * 10 ** (7 - scale)
        days = int.from_bytes(data[-3:], "little")
        t = datetime.datetime.combine(EPOCH_0001 + datetime.timedelta(days=days),
                                      datetime.time()) + datetime.timedelta(
                                          microseconds=units // 10)
        return format_datetime(t)
    if code == 0x28:
        return (EPOCH_0001 + datetime.timedelta(days=int.from_bytes(data, "little"))).isoformat()
    if code == 0x24:
        return str(uuid.UUID(bytes_le=bytes(data))).upper()
    raise ValueError("unknown type %#x" % code)


def format_datetime(t):
    text = t.strftime("%Y-%m-%d %H:%M:%S")
    return text + (".%03d" % (t.microsecond // 1000) if t.microsecond else "")


# ---- the conversation with one client ----

SQLITE_ERRORS = (("NOT NULL constraint", 515, 16), ("UNIQUE constraint", 2627, 14),
                 ("CHECK constraint", 547, 16), ("no such table", 208, 16),
                 ("already exists", 2714, 16), ("no such column", 207, 16))


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
                    self.login(message)
                elif kind == 0x01:
                    headers = struct.unpack("<I", message[:4])[0]
                    self.batch(message[headers:].decode("utf-16-le"))
                elif kind == 0x03:
                    self.rpc(message)
                elif kind == 0x07:
                    self.bulk_rows(message)
                elif kind == 0x06:
                    self.done(0x20)
                    self.send(0x04)
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
        options = [(0, bytes([16, 0, 0, 0, 0, 0])), (1, b"\x02"), (2, b"\x00"),
                   (3, b"\x00\x00\x00\x00"), (4, b"\x00")]
        offset = len(options) * 5 + 1
        table, data = b"", b""
        for token, value in options:
            table += struct.pack(">BHH", token, offset + len(data), len(value))
            data += value
        self.out = table + b"\xff" + data
        self.send(0x04)

    def login(self, message):
        fields = {}
        for i, name in enumerate(("host", "user", "password", "app", "server", "ext",
                                  "library", "language", "database")):
            offset, length = struct.unpack("<HH", message[36 + 4 * i:40 + 4 * i])
            fields[name] = message[offset:offset + 2 * length]
        if message[25] & 0x80:
            self.error(18452, 14, "Login failed. The login is from an untrusted domain and "
                       "cannot be used with Integrated authentication.")
            self.done(0x02)
            self.send(0x04)
            return
        self.database = fields["database"].decode("utf-16-le") or "master"
        self.out += env_change(1, self.database, "master")
        self.out += b"\xe3" + struct.pack("<H", 8) + b"\x07\x05" + COLLATION + b"\x00"
        self.out += env_change(4, "4096", "4096")
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
        name = "sp_executesql" if n == 0xFFFF and r.u16() == 10 else (
            r.take(n * 2).decode("utf-16-le") if n != 0xFFFF else "?")
        r.u16()
        params = []
        while r.at < len(r.data) and r.data[r.at] not in (0x80, 0xFF):
            pname = r.b_varchar()
            r.u8()
            params.append((pname, r.value(r.type_info())))
        wrong = [p for p, own in zip(params, ("@stmt", "@params")) if p[0] not in ("", own)]
        if wrong:
            self.error(8145, 16, "%s is not a parameter for procedure sp_executesql." %
                       wrong[0][0])
            self.out += b"\xfe" + struct.pack("<HHQ", 0x02, 0, 0)
            self.send(0x04)
            return
        if name.lower() != "sp_executesql" or len(params) < 1:
            self.error(2812, 16, "Could not find stored procedure '%s'." % name)
            self.out += b"\xfe" + struct.pack("<HHQ", 0x02, 0, 0)
            self.send(0x04)
            return
        declared = declarations(params[1][1] if len(params) > 1 else "")
        try:
            named = {name.lstrip("@"): typed(value, declared.get(name.lower(), ""))
                     for name, value in params[2:]}
        except ValueError as e:
            self.error(245, 16, str(e))
            self.out += b"\xff" + struct.pack("<HHQ", 0x03, 0, 0)
            self.finish_reply(True)
            return
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

        if self.server.trace:
            print("%s %r %r" % ("rpc" if proc else "batch", text, params), file=sys.stderr,
                  flush=True)
        try:
            action, sql = translate(text)
            if action == "ignore":
                done(0)
                return
            if action == "fmtonly":
                self.columns_only(sql)
                done(0)
                return
            if action == "bulk":
                self.bulk_table = sql
                done(0)
                return
            if action == "insert":
                self.count_insert()
            if action in ("commit", "rollback") and not self.db.in_transaction:
                done(0)
                return
            cursor = self.db.execute(sql, params)
            if cursor.description:
                rows = cursor.fetchall()
                self.result_set(sql, cursor.description, rows, params)
                done(0x10, 0xC1, len(rows))
            else:
                count = max(cursor.rowcount, 0)
                done(0x10 if action in ("count", "insert") else 0, 0xC3, count)
        except (sqlite3.Error, ValueError) as e:
            message = str(e)
            number, severity = 102, 15
            for text_part, n, s in SQLITE_ERRORS:
                if text_part in message:
                    number, severity = n, s
            self.error(number, severity, message)
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
        try:
            self.db.execute("DROP VIEW IF EXISTS temp.kpx_probe")
            self.db.execute("CREATE TEMP VIEW kpx_probe AS " + sql)
            info = self.db.execute("PRAGMA temp.table_info(kpx_probe)").fetchall()
            self.db.execute("DROP VIEW temp.kpx_probe")
            return {i: row[2] for i, row in enumerate(info) if row[2]}
        except sqlite3.Error:
            return {}

    def result_set(self, sql, description, rows, params):
        declared = self.column_types(sql, params)
        types = []
        for i, d in enumerate(description):
            t = type_for_declared(declared[i]) if i in declared else None
            types.append(t or type_for_values([row[i] for row in rows]))
        self.metadata([d[0] for d in description], types)
        for row in rows:
            self.out += b"\xd1" + b"".join(t.encode(v) for t, v in zip(types, row))

    def metadata(self, names, types):
        self.out += b"\x81" + struct.pack("<H", len(names))
        for name, t in zip(names, types):
            self.out += struct.pack("<IH", 0, 0x0009) + t.info() + b_varchar(name or "")

    def columns_only(self, sql):
        cursor = self.db.execute(sql)
        self.result_set(sql, cursor.description, [], {})

    # -- bulk load: "insert bulk" names the table, then a BULKLOAD message brings the rows --

    def bulk_rows(self, message):
        r = Reader(message)
        if r.u8() != 0x81:
            raise ValueError("bulk load without column metadata")
        columns = []
        for _ in range(r.u16()):
            r.u32()
            r.u16()
            info = r.type_info()
            if info[0] in (0x23, 0x63, 0x22):
                r.take(r.u16() * 2)  # the table name, one part
            columns.append((r.b_varchar(), info))
        names = ", ".join('"%s"' % n.replace('"', '""') for n, _ in columns)
        sql = 'INSERT INTO "%s" (%s) VALUES (%s)' % (
            self.bulk_table.replace('"', '""'), names, ", ".join("?" * len(columns)))
        count = 0
        try:
            self.db.execute("SAVEPOINT kpx_bulk")
            while r.at < len(r.data) and r.data[r.at] == 0xD1:
                r.u8()
                values = [r.value(info, in_row=True) for _, info in columns]
                self.count_insert()
                self.db.execute(sql, values)
                count += 1
            self.db.execute("RELEASE kpx_bulk")
            self.out += b"\xfd" + struct.pack("<HHQ", 0x10, 0xF0, count)
        except sqlite3.Error as e:
            self.db.execute("ROLLBACK TO kpx_bulk")
            self.db.execute("RELEASE kpx_bulk")
            self.error(4891 if "NOT NULL" in str(e) else 2627, 16, str(e))
            self.out += b"\xfd" + struct.pack("<HHQ", 0x02, 0xF0, 0)
        self.send(0x04)

    def error(self, number, severity, text, token=0xAA):
        body = struct.pack("<iBB", number, 1, severity) + us_varchar(text) + b_varchar(
            "kpx") + b_varchar("") + struct.pack("<i", 1)
        self.out += bytes([token]) + struct.pack("<H", len(body)) + body

    def done(self, status):
        self.out += b"\xfd" + struct.pack("<HHQ", status, 0, 0)


def env_change(kind, new, old):
    body = bytes([kind]) + b_varchar(new) + b_varchar(old)
    return b"\xe3" + struct.pack("<H", len(body)) + body


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("database")
    parser.add_argument("--drop-after-inserts", type=int)
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()
    server = Server(("127.0.0.1", args.port), Session)
    server.database = args.database
    server.drop_after_inserts = args.drop_after_inserts
    server.inserts = 0
    server.trace = bool(os.environ.get("KPX_TDS_TRACE"))
    server.lock = threading.Lock()
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
