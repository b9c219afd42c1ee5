#include "cli/help_text.h"

namespace kpx::cli {

const char* const kProgramHelp = R"(Usage: kpxwizard COMMAND [OPTIONS]

Copies data between SQLite and Access databases, Excel workbooks (.xls, .xlsx), delimited and
fixed-width text files and HTML tables, and repeats transfers saved as configuration files.

Commands:
  copy SOURCE DESTINATION   copy a table, sheet or query from one file into another
  run CONFIG.ini            run a saved transfer
  inspect PATH|CONFIG.ini   list the tables, views and columns of a data source
  wizard [CONFIG.ini]       open the wizard window, with a saved transfer loaded

Run 'kpxwizard COMMAND --help' for the options of a command.

Examples:
  kpxwizard copy customers.csv shop.db --create
  kpxwizard inspect shop.db --json
  kpxwizard run examples/customers.ini

Exit status: 0 success, 1 some rows were rejected (see the error log), 2 failure.
)";

const char* const kRunHelp =
    R"(Usage: kpxwizard run CONFIG.ini [--dry-run] [--rejects FILE] [--yes|--no] [--lang it|en] [--log-dir DIR]
                     [--busy-timeout SECONDS]

Loads a saved configuration (the layout the wizard's Save button writes), runs the transfer,
shows its progress and prints how many rows were read, written and rejected. The options a
copy was saved with (--replace, --rejects, --yes/--no, --log-dir, --busy-timeout) apply unless
given here.

Options:
  --dry-run       read and convert every row as the run would, log the rows it would reject,
                  and write nothing: the destination stays byte for byte as it was
  --rejects FILE  write the refused rows to FILE, as for 'kpxwizard copy'
  --yes, --no     answer the questions the transfer asks (default: No); for instance whether
                  to open the error log when rows were rejected
  --lang it|en    language of the messages (default: the configuration's LANGUAGE)
  --log-dir DIR   folder of the error log KPXWIZARD_ERROR.txt (default: the program's folder;
                  where that cannot be written, $XDG_STATE_HOME/kpxwizard or
                  ~/.local/state/kpxwizard, and the run says so)
  --busy-timeout SECONDS  how long to wait for a database another program has locked
                  (default: 10); the wait is shown, and past it the run fails

A run that fails, or that Ctrl-C or SIGTERM stops, leaves every destination as it was.

Paths in the configuration are taken as they stand: a relative path is relative to the
working directory. When the configuration asks for a new table in a SQLite database that does
not exist yet, the database is created first.

Examples:
  kpxwizard run examples/customers.ini
  kpxwizard run nightly.ini --log-dir /var/log/kpx --lang it

Exit status: 0 every row was written, 1 some rows were rejected, 2 the configuration is not
valid or the transfer failed (the message says why).
)";

const char* const kCopyHelp = R"(Usage: kpxwizard copy SOURCE DESTINATION [OPTIONS]

Copies the rows of a table, sheet or query of SOURCE into a table of DESTINATION. The kind
of each file comes from its content, then from its name: .csv .txt .tsv text, .xls .xlsx
Excel, .htm .html HTML (source only), .db .sqlite .sqlite3 SQLite, .mdb .accdb Access
(read-only here).

Options:
  --from-table NAME  source table or sheet (default: the only one there is); a text file's
                     one table is its file name, as 'kpxwizard inspect' lists it
  --query SQL        read the rows of a SELECT instead of a table
  --to-table NAME    destination table (default: the only one there is; with --create the
                     source table's name, the text file's name, or "Risultati" for a query)
  --create           create the destination table (and the SQLite database or the workbook
                     when the file does not exist yet)
  --replace          delete the destination table's rows before copying (in the same
                     transaction: a failed run keeps them); overwrite an existing text file
  --by-name          pair columns with the same name (ignoring case) instead of by position
  --delimiter C      column delimiter: one character or "tab" (default: tab for .tsv, else
                     guessed from the first line, else ",")
  --qualifier C      text qualifier, not the delimiter (default: "; "none" for none)
  --header, --no-header  whether the first line holds the column names (default: --header)
  --fixed WIDTHS     the file is fixed-width with these column widths, e.g. 10,25,8
                     These four describe the source when it is a text file, and the
                     destination too when that is one (a new one is otherwise written with
                     ",", " and a header row).
  --to-delimiter C, --to-qualifier C, --to-header, --to-no-header, --to-fixed WIDTHS
                     the same for the destination text file alone
  --encoding NAME    how a text source is written: utf-8, windows-1252, latin-1 or utf-16
                     (default: UTF-8, or Windows-1252 when the file is not valid UTF-8)
  --save CONFIG.ini  also save the transfer so that 'kpxwizard run CONFIG.ini' repeats it
                     (it then appends to the table created now; --encoding, --replace,
                     --rejects, --yes/--no, --log-dir and --busy-timeout are saved too)
  --infer-types      with --create and a text source: read the whole file first and give
                     each new column the narrowest type its values take (printed, as
                     'kpxwizard inspect FILE --infer' prints it); dates written day-first or
                     month-first are read in that order (with --save they stay text)
  --dry-run          read and convert every row as the copy would, log the rows it would
                     reject, and write nothing (no file, table or row); the exit status is
                     the copy's
  --rejects FILE     write the refused rows to FILE in the source's own layout and encoding
                     (a CSV when the source is not a delimited text file) with a last column
                     "Rejected because"; correct them and copy FILE again with the same options
  --yes, --no, --lang it|en, --log-dir DIR, --busy-timeout SECONDS   as for 'kpxwizard run'

Examples:
  kpxwizard copy customers.csv shop.db --create --to-table Customers
  kpxwizard copy shop.db customers.csv --from-table Customers
  kpxwizard copy book.xlsx shop.db --from-table Sheet1 --to-table Orders --by-name --replace
  kpxwizard copy shop.db rich.tsv --query "SELECT Name, Balance FROM Customers WHERE Balance > 100"
  kpxwizard copy people.txt shop.db --create --fixed 5,20,3 --save people.ini
  kpxwizard copy export.csv import.txt --delimiter ';' --to-delimiter tab --to-no-header
)";

const char* const kInspectHelp =
    R"(Usage: kpxwizard inspect PATH|CONFIG.ini [--json|--infer] [text options]

Lists the tables and views of a data source with their columns: name, type code and type
name, size and whether the column accepts nulls. Given a configuration file, it lists its
source and its destination.

Options:
  --json             print {"kind": ..., "tables": [{"name": ..., "type": "TABLE"|"VIEW",
                     "columns": [{"name": ..., "type": code, "typeName": ..., "size": n,
                     "nullable": true|false}]}]} (for a configuration: {"source": ...,
                     "destination": ...})
  --infer            read every row of a text file and print, per column, the narrowest type
                     all its values take (Bit, Long, BigInt, Double, Currency, Datetime,
                     VarChar (n), LongText) and why, naming the first value that rules out
                     a narrower one; empty fields do not count
  --delimiter C, --qualifier C, --header, --no-header, --fixed WIDTHS, --encoding NAME
                     how to read a text file, as for 'kpxwizard copy'

Examples:
  kpxwizard inspect shop.db
  kpxwizard inspect book.xls --json | python3 -m json.tool
  kpxwizard inspect examples/customers.ini
)";

const char* const kWizardHelp =
    R"(Usage: kpxwizard wizard [CONFIG.ini] [--lang it|en] [--log-dir DIR]

Opens the four-step wizard window (Source, Destination, Mapping, Execution), with the saved
configuration loaded when one is given. The window needs a display; without one, run the
transfer with 'kpxwizard run CONFIG.ini'.

Options:
  --lang it|en    language of the window (default: the configuration's LANGUAGE)
  --log-dir DIR   folder of the error log KPXWIZARD_ERROR.txt (default: the program's folder)

Examples:
  kpxwizard wizard
  kpxwizard wizard examples/customers.ini --lang it
)";

}  // namespace kpx::cli
