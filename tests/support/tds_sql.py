"""The SQL side of the test TDS server: Transact-SQL statements rewritten for SQLite, the
SQL Server type names of declared column types, and the catalog views a client queries (the
names and types of tables and columns)."""
import re

TOKEN = re.compile(r"""
    (?P<space>\s+|--[^\n]*|/\*.*?\*/)
  | (?P<string>N?'(?:[^']|'')*')
  | (?P<bracket>\[(?:[^\]]|\]\])*\])
  | (?P<word>[A-Za-z_@#][\w@#$]*)
  | (?P<number>\d+(?:\.\d*)?(?:[eE][-+]?\d+)?)
  | (?P<other>.)
""", re.VERBOSE | re.DOTALL)

CATALOG = {"TABLES": "kpx_information_schema_tables",
           "COLUMNS": "kpx_information_schema_columns"}


def tokens(text):
    out = []
    for m in TOKEN.finditer(text):
        kind, value = m.lastgroup, m.group()
        if kind == "space":
            continue
        if kind == "string" and value.startswith("N"):
            value = value[1:]
        if kind == "bracket":
            kind, value = "name", '"' + value[1:-1].replace("]]", "]").replace('"', '""') + '"'
        out.append([kind, value])
    return out


def bare(token):
    kind, value = token
    return value[1:-1].replace('""', '"') if kind == "name" else value


def is_name(token):
    return token[0] in ("name", "word")


def collapse_names(toks):
    """database.schema.table becomes the table; INFORMATION_SCHEMA views map to the server's
    own."""
    out, i = [], 0
    while i < len(toks):
        t = toks[i]
        if (is_name(t) and i + 2 < len(toks) and toks[i + 1][1] == "." and
                is_name(toks[i + 2])):
            first = bare(t).upper()
            if i + 4 < len(toks) and toks[i + 3][1] == "." and is_name(toks[i + 4]):
                out.append(toks[i + 4])
                i += 5
                continue
            if first == "INFORMATION_SCHEMA":
                out.append(["word", CATALOG.get(bare(toks[i + 2]).upper(), "kpx_missing")])
                i += 3
                continue
        out.append(t)
        i += 1
    return out


def translate(text):
    """(action, SQLite text) for one Transact-SQL statement."""
    toks = collapse_names(tokens(text.strip().rstrip(";")))
    first = toks[0][1].upper()
    if first == "SET":
        return "ignore", ""
    # BEGIN TRANSACTION and COMMIT TRANSACTION are SQLite's own words too.
    return {"INSERT": "insert", "DELETE": "count"}.get(first, "run"), join(toks)


def join(toks):
    text = ""
    for kind, value in toks:
        if text and not (value in ",.)" or text.endswith(("(", "."))):
            text += " "
        text += value
    return text


def declared_type(decl):
    """(name, size, precision, scale) of a declared type such as "nvarchar (50)"."""
    m = re.match(r"\s*([A-Za-z_]\w*)\s*(?:\(\s*(\w+)\s*(?:,\s*(\d+)\s*)?\))?", decl)
    name = m.group(1).lower()
    first = m.group(2)
    number = int(first) if first else 0
    if name in ("decimal", "numeric"):
        return name, 0, number or 18, int(m.group(3) or 0)
    return name, number, 0, 0


def catalog_views(db):
    """Creates the INFORMATION_SCHEMA views a client reads, answered from SQLite's schema."""
    db.create_function("kpx_data_type", 1, lambda d: declared_type(d)[0], deterministic=True)
    db.execute("""CREATE TEMP VIEW kpx_information_schema_tables AS
        SELECT 'dbo' || '' AS TABLE_SCHEMA, m.name || '' AS TABLE_NAME,
               'BASE TABLE' AS TABLE_TYPE
        FROM main.sqlite_master AS m
        WHERE m.type IN ('table', 'view') AND m.name NOT LIKE 'sqlite%' ORDER BY m.rowid""")
    db.execute("""CREATE TEMP VIEW kpx_information_schema_columns AS
        SELECT 'dbo' || '' AS TABLE_SCHEMA, m.name || '' AS TABLE_NAME,
               p.cid + 1 AS ORDINAL_POSITION, p.name || '' AS COLUMN_NAME,
               kpx_data_type(p.type) AS DATA_TYPE,
               NULL AS CHARACTER_MAXIMUM_LENGTH, NULL AS NUMERIC_PRECISION,
               NULL AS NUMERIC_SCALE, 'YES' AS IS_NULLABLE
        FROM main.sqlite_master AS m JOIN pragma_table_info(m.name) AS p
        WHERE m.type IN ('table', 'view') AND m.name NOT LIKE 'sqlite%'""")
