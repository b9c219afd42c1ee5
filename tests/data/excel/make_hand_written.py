#!/usr/bin/env python3
"""Writes the small .xlsx workbooks of this folder part by part, each with one trait that
producers other than Excel leave in real files: no styles part, rows and cells without their
`r` numbers, the 1904 date system, numbers and dates as column names, an empty sheet, more
shared strings than stay in memory."""
import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
NS = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
# Cell style 1 shows a date (built-in format 14), style 2 a time with milliseconds.
STYLES = (f'<styleSheet {NS}><numFmts count="1"><numFmt numFmtId="164" '
          'formatCode="yyyy-mm-dd hh:mm:ss.000"/></numFmts><cellXfs count="3"><xf numFmtId="0"/>'
          '<xf numFmtId="14"/><xf numFmtId="164"/></cellXfs></styleSheet>')


class Shared(int):
    """A cell that refers to a shared string by its number."""


def cell(value, numbered, ref):
    r = f' r="{ref}"' if numbered else ""
    if isinstance(value, Shared):
        return f'<c{r} t="s"><v>{int(value)}</v></c>'
    if isinstance(value, str):
        return f'<c{r} t="inlineStr"><is><t>{value}</t></is></c>'
    number, style = value if isinstance(value, tuple) else (value, 0)
    s = f' s="{style}"' if style else ""
    return f"<c{r}{s}><v>{number!r}</v></c>"


def sheet_xml(rows, numbered):
    out = []
    for i, row in enumerate(rows):
        r = f' r="{i + 1}"' if numbered else ""
        cells = "".join(cell(v, numbered, f"{chr(65 + j)}{i + 1}") for j, v in enumerate(row))
        out.append(f"<row{r}>{cells}</row>")
    return f'<worksheet {NS}><sheetData>{"".join(out)}</sheetData></worksheet>'


def workbook(name, sheets, styles=True, numbered=True, date1904=False, shared=None):
    names = [n for n, _ in sheets]
    types = "".join(f'<Override PartName="/xl/worksheets/sheet{i + 1}.xml" ContentType="'
                    'application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
                    for i in range(len(names)))
    if styles:
        types += ('<Override PartName="/xl/styles.xml" ContentType="application/'
                  'vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>')
    parts = {
        "[Content_Types].xml":
            '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="rels" ContentType="application/'
            'vnd.openxmlformats-package.relationships+xml"/><Override PartName="/xl/workbook.xml"'
            ' ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.'
            f'main+xml"/>{types}</Types>',
        "_rels/.rels":
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            f'<Relationship Id="rId1" Type="{REL}/officeDocument" Target="xl/workbook.xml"/>'
            "</Relationships>",
        "xl/workbook.xml":
            f'<workbook {NS} xmlns:r="{REL}">'
            + ('<workbookPr date1904="1"/>' if date1904 else "") + "<sheets>"
            + "".join(f'<sheet name="{n}" sheetId="{i + 1}" r:id="rId{i + 1}"/>'
                      for i, n in enumerate(names)) + "</sheets></workbook>",
        "xl/_rels/workbook.xml.rels":
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            + "".join(f'<Relationship Id="rId{i + 1}" Type="{REL}/worksheet" '
                      f'Target="worksheets/sheet{i + 1}.xml"/>' for i in range(len(names)))
            + (f'<Relationship Id="rIdS" Type="{REL}/styles" Target="styles.xml"/>'
               if styles else "") + "</Relationships>",
    }
    if styles:
        parts["xl/styles.xml"] = STYLES
    if shared is not None:
        parts["[Content_Types].xml"] = parts["[Content_Types].xml"].replace(
            "</Types>", '<Override PartName="/xl/sharedStrings.xml" ContentType="application/'
            'vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
        parts["xl/_rels/workbook.xml.rels"] = parts["xl/_rels/workbook.xml.rels"].replace(
            "</Relationships>", f'<Relationship Id="rIdSS" Type="{REL}/sharedStrings" '
            'Target="sharedStrings.xml"/></Relationships>')
        parts["xl/sharedStrings.xml"] = (f'<sst {NS} count="{len(shared)}" '
                                         f'uniqueCount="{len(shared)}">'
                                         + "".join(f"<si><t>{t}</t></si>" for t in shared)
                                         + "</sst>")
    for i, (_, rows) in enumerate(sheets):
        parts[f"xl/worksheets/sheet{i + 1}.xml"] = sheet_xml(rows, numbered)
    with zipfile.ZipFile(os.path.join(HERE, name), "w", zipfile.ZIP_DEFLATED) as z:
        for part, text in parts.items():
            z.writestr(part, '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n' + text)


workbook("unnumbered_no_styles.xlsx",
         [("plain", [["Name", "Qty"], ["ant", 1], ["bee", 2.5], ["cat", 3]])],
         styles=False, numbered=False)
workbook("dates_1904.xlsx",
         [("dates", [["Event", "Day"], ["first", (0, 1)], ["millennium", (34699, 1)],
                     ["leap", (42793, 1)]])], date1904=True)
workbook("headers_and_empty.xlsx",
         [("years", [[2020, 2021.5, (43831, 1), "Name"], [1, 2, 3, "ant"], [4, 5, 6, "bee"]]),
          ("empty", [])])

# Far more shared strings than a reader keeps in memory (filler compresses to almost nothing);
# the sheet refers to some forward, backward, across blocks, and to one longer than a block.
STRINGS = ["filler text of the workbook"] * 300000
PICKED = [0, 1, 2, 4095, 4096, 4097, 150000, 299999, 150001, 3, 200000, 2, 250000]
for i in PICKED:
    STRINGS[i] = f"text {i}"
STRINGS[3] = ""
STRINGS[200000] = "long." * 9000
workbook("many_shared_strings.xlsx",
         [("strings", [["Index", "Text"]] + [[i, Shared(i)] for i in PICKED])],
         shared=STRINGS)
