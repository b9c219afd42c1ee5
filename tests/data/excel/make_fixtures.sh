#!/bin/sh
# Regenerates the workbooks in this folder from their CSV files with LibreOffice, an
# independent writer of every Excel generation the provider reads.
set -e
cd "$(dirname "$0")"
profile=$(mktemp -d)
out=$(mktemp -d)
convert() {  # csv filter suffix
  soffice -env:UserInstallation=file://"$profile" --headless --infilter="CSV:44,34,76" \
    --convert-to "$2" --outdir "$out/$3" "$1" >/dev/null
  mv "$out/$3"/* "$(basename "$1" .csv)_$3"
}
for csv in people.csv items.csv; do
  convert "$csv" 'xls:MS Excel 97' 97.xls
  # LibreOffice 7 no longer writes Excel 5.0/95; the shared test data holds a real BIFF5 file.
  convert "$csv" 'xlsx:Calc MS Excel 2007 XML' 2007.xlsx
done
# Numbers and dates as column names, each cell with its own number format.
for format in 'xls:MS Excel 97' 'xlsx:Calc MS Excel 2007 XML'; do
  soffice -env:UserInstallation=file://"$profile" --headless --convert-to "$format" \
    --outdir "$out/headers" formatted_headers.fods >/dev/null
done
mv "$out/headers"/* .
rm -rf "$profile" "$out"
