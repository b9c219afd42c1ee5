"""Writes an Access (Jet 4) database of one table for the benchmark, since nothing on a Linux
machine makes .mdb files of any size: the program reads them only, and mdbtools has no writer.

The file holds what a reader needs and nothing more: the header page, the catalog (a minimal
MSysObjects), one table definition and its data pages, with usage maps of the inline kind. No
indexes, no long values. mdb-export reads it, which is the check that it is well formed.

    python3 bench/access_file.py OUT.mdb ROWS      the table "Orders" with ROWS rows
"""
import datetime
import struct
import sys

PAGE = 4096
EPOCH = datetime.date(1899, 12, 30)

# Jet column types
BOOL, INT, LONG, MONEY, DOUBLE, DATETIME, TEXT, OLE = 0x01, 0x03, 0x04, 0x05, 0x07, 0x08, 0x0A, 0x0B
FIXED_SIZE = {INT: 2, LONG: 4, MONEY: 8, DOUBLE: 8, DATETIME: 8, BOOL: 0}

ORDERS = [("Id", LONG, 4), ("Name", TEXT, 100), ("Amount", MONEY, 8), ("Placed", DATETIME, 8),
          ("Active", BOOL, 0), ("Code", TEXT, 20), ("Qty", LONG, 4), ("Ratio", DOUBLE, 8)]
CATALOG = [("Id", LONG, 4), ("Name", TEXT, 510), ("Type", INT, 2), ("Flags", LONG, 4),
           ("LvProp", OLE, 0)]


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) % 256
        s[i], s[j] = s[j], s[i]
    out, i, j = bytearray(), 0, 0
    for byte in data:
        i = (i + 1) % 256
        j = (j + s[i]) % 256
        s[i], s[j] = s[j], s[i]
        out.append(byte ^ s[(s[i] + s[j]) % 256])
    return bytes(out)


def header_page():
    page = bytearray(PAGE)
    page[0:4] = b"\x00\x01\x00\x00"
    page[4:20] = b"Standard Jet DB\x00"
    page[0x14] = 1  # Jet 4
    # The 128 bytes from 0x18 are stored scrambled with a fixed RC4 key; in clear they hold
    # the code page, a zero database key (not encrypted) and the sort order.
    clear = bytearray(128)
    struct.pack_into("<HI", clear, 0x3C - 0x18, 1252, 0)
    struct.pack_into("<I", clear, 0x6E - 0x18, 0x0409)
    page[0x18:0x18 + 128] = rc4(struct.pack("<I", 0x6B39DAC7), clear)
    return page


class DataPage:
    """A page of rows stored from its end towards its header, as Jet keeps them."""

    def __init__(self, owner):
        self.owner, self.rows = owner, []

    def room(self):
        used = 14 + 2 * len(self.rows) + sum(len(r) for r in self.rows)
        return PAGE - used - 2

    def bytes(self):
        page = bytearray(PAGE)
        end = PAGE
        offsets = []
        for row in self.rows:
            end -= len(row)
            page[end:end + len(row)] = row
            offsets.append(end)
        free = end - (14 + 2 * len(self.rows))
        struct.pack_into("<BBHII H", page, 0, 1, 1, free, self.owner, 0, len(self.rows))
        struct.pack_into(f"<{len(offsets)}H", page, 14, *offsets)
        return page


def usage_map(pages):
    """An inline page usage map: the first page it covers, then one bit per page."""
    first = min(pages) if pages else 0
    bits = bytearray((max(pages) - first) // 8 + 1 if pages else 1)
    for p in pages:
        bits[(p - first) // 8] |= 1 << ((p - first) % 8)
    return struct.pack("<BI", 0, first) + bytes(bits)


def table_definition(columns, rows, system, used_map, free_map):
    page = bytearray(PAGE)
    variable = [c for c in columns if c[1] in (TEXT, OLE)]
    body = bytearray()
    fixed_at, var_index = 0, 0
    for number, (name, kind, size) in enumerate(columns):
        is_var = kind in (TEXT, OLE)
        entry = bytearray(25)
        entry[0] = kind
        struct.pack_into("<HHH", entry, 5, number, var_index if is_var else 0, number)
        if kind == TEXT:
            struct.pack_into("<H", entry, 11, 0x0409)
        entry[15] = 0x02 if is_var else 0x03
        struct.pack_into("<HH", entry, 21, 0 if is_var else fixed_at, size)
        if is_var:
            var_index += 1
        else:
            fixed_at += FIXED_SIZE[kind]
        body += entry
    for name, _, _ in columns:
        encoded = name.encode("utf-16-le")
        body += struct.pack("<H", len(encoded)) + encoded
    length = 63 + len(body)
    struct.pack_into("<BBHII", page, 0, 2, 1, PAGE - length - 8, 0, length)
    struct.pack_into("<I", page, 16, rows)
    struct.pack_into("<BHHHIIII", page, 40, 0x53 if system else 0x4E, len(columns),
                     len(variable), len(columns), 0, 0, used_map, free_map)
    page[63:63 + len(body)] = body
    return page


def pack_row(columns, values):
    """One row: column count, fixed values, variable values, end of data, the variable
    columns' offsets last to first, their count, then the null mask (a boolean's value)."""
    fixed, var, offsets, mask = bytearray(), bytearray(), [], 0
    for number, ((_, kind, _), value) in enumerate(zip(columns, values)):
        if kind == BOOL:
            mask |= (1 << number) if value else 0
            continue
        if value is not None:
            mask |= 1 << number
        if kind in (TEXT, OLE):
            offsets.append(len(var))  # from the end of the fixed part, not known yet
            var += value.encode("utf-16-le") if value is not None else b""
        else:
            fixed += encode_fixed(kind, value)
    row = bytearray(struct.pack("<H", len(columns))) + fixed
    start = 2 + len(fixed)
    row += var
    eod = len(row)
    var_offsets = [start + o for o in offsets]
    row += struct.pack("<H", eod)
    row += struct.pack(f"<{len(var_offsets)}H", *reversed(var_offsets))
    row += struct.pack("<H", len(var_offsets))
    row += mask.to_bytes((len(columns) + 7) // 8, "little")
    return bytes(row)


def encode_fixed(kind, value):
    if value is None:
        return bytes(FIXED_SIZE[kind])
    if kind == LONG:
        return struct.pack("<i", value)
    if kind == INT:
        return struct.pack("<h", value)
    if kind == MONEY:
        return struct.pack("<q", round(value * 10000))
    if kind == DOUBLE:
        return struct.pack("<d", value)
    if kind == DATETIME:
        return struct.pack("<d", value)
    raise ValueError(kind)


def order(i):
    day = datetime.date(2024, i % 12 + 1, i % 28 + 1)
    placed = (day - EPOCH).days + ((i % 24) * 3600 + (i % 60) * 60 + i * 7 % 60) / 86400
    return (i, f"Customer {i}", round(i % 100000 * 1.25, 2), placed, i % 2 == 1,
            f"C{i % 100000:05d}", i % 1000, 1.0 / (i + 1))


def write(path, table, rows):
    # Pages: 0 header, 1 usage maps, 2 catalog definition, 3 catalog rows, 4 the table's
    # definition, 5 on its rows.
    data, page = [], DataPage(4)
    for i in range(1, rows + 1):
        row = pack_row(ORDERS, order(i))
        if page.room() < len(row):
            data.append(page)
            page = DataPage(4)
        page.rows.append(row)
    data.append(page)
    data_pages = list(range(5, 5 + len(data)))

    maps = DataPage(0)
    maps.rows = [usage_map([3]), usage_map([]), usage_map(data_pages), usage_map([])]
    if maps.room() < 0:
        raise ValueError(f"{rows} rows need more pages than one inline usage map covers")
    catalog = DataPage(2)
    catalog.rows = [pack_row(CATALOG, (2, "MSysObjects", 1, -0x7FFFFFFE, None)),
                    pack_row(CATALOG, (4, table, 1, 0, None))]
    with open(path, "wb") as f:
        f.write(header_page())
        f.write(maps.bytes())
        f.write(table_definition(CATALOG, 2, True, (1 << 8) | 0, (1 << 8) | 1))
        f.write(catalog.bytes())
        f.write(table_definition(ORDERS, rows, False, (1 << 8) | 2, (1 << 8) | 3))
        for p in data:
            f.write(p.bytes())


if __name__ == "__main__":
    write(sys.argv[1], "Orders", int(sys.argv[2]))
