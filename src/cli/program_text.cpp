#include "cli/program_text.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace kpx::cli {
namespace {

struct Pair {
  const char* english;
  const char* italian;
};

// In the order of Said.
constexpr Pair kTexts[] = {
    {"Rows read:", "Righe lette:"},
    {"Rows written:", "Righe scritte:"},
    {"Rows rejected:", "Righe scartate:"},
    {"Time:", "Tempo:"},
    {"Error log:", "Log degli errori:"},
    {" (no rows rejected)", " (nessuna riga scartata)"},
    {"%lld rows copied, %.0f rows/s, ", "%lld righe copiate, %.0f righe/s, "},
    {" elapsed", " trascorsi"},
    {"Started ", "Avviato "},
    {"Finished ", "Terminato "},
    {"kpxwizard: the transfer failed", "kpxwizard: il trasferimento non è riuscito"},
    {"kpxwizard: %lld row(s) were rejected; they are listed in %s",
     "kpxwizard: %lld riga/e scartata/e; sono elencate in %s"},
    {"kpxwizard: stopped by ", "kpxwizard: interrotto da "},
    {"; the destination is left as it was", "; la destinazione è rimasta com'era"},
    {"Source columns left out (no destination column in their place): ",
     "Colonne dell'origine escluse (nessuna colonna della destinazione al loro posto): "},
    {"Destination columns left empty (no source column in their place): ",
     "Colonne della destinazione lasciate vuote (nessuna colonna dell'origine al loro posto): "},
    {"kpxwizard: the log folder '%s' cannot be written; rejected rows go to %s",
     "kpxwizard: la cartella del log '%s' non è scrivibile; le righe scartate vanno in %s"},
    {"kpxwizard: cannot read the columns of the source '%s'",
     "kpxwizard: impossibile leggere le colonne dell'origine '%s'"},
    {"kpxwizard: cannot read the columns of the new table '%s' in '%s'",
     "kpxwizard: impossibile leggere le colonne della nuova tabella '%s' in '%s'"},
    {"kpxwizard: cannot read the columns of the table '%s' in '%s'",
     "kpxwizard: impossibile leggere le colonne della tabella '%s' in '%s'"},
    {"kpxwizard copy: the source '%s' cannot be used: %s",
     "kpxwizard copy: l'origine '%s' non può essere usata: %s"},
    {"kpxwizard copy: the destination '%s' cannot be used: %s",
     "kpxwizard copy: la destinazione '%s' non può essere usata: %s"},
    {"kpxwizard copy: no column of the source matches a column of the destination",
     "kpxwizard copy: nessuna colonna dell'origine corrisponde a una colonna della destinazione"},
    {"; without --by-name columns are paired by position",
     "; senza --by-name le colonne sono abbinate per posizione"},
    {"kpxwizard: cannot delete the rows of '%s' in '%s'",
     "kpxwizard: impossibile eliminare le righe di '%s' in '%s'"},
    {"Created the SQLite database %s", "Creato il database SQLite %s"},
    {"Saved the configuration to %s; repeat the transfer with: kpxwizard run %s",
     "Configurazione salvata in %s; per ripetere il trasferimento: kpxwizard run %s"},
    {"kpxwizard copy: the configuration was not saved to '%s' because the transfer failed",
     "kpxwizard copy: la configurazione non è stata salvata in '%s' perché il trasferimento non "
     "è riuscito"},
    {"kpxwizard: the text qualifier '%s' is also the column delimiter of '%s'; give another with "
     "--qualifier or --delimiter (for the destination --to-qualifier or --to-delimiter)",
     "kpxwizard: il qualificatore di testo '%s' è anche il delimitatore di colonna di '%s'; "
     "indicarne un altro con --qualifier o --delimiter (per la destinazione --to-qualifier o "
     "--to-delimiter)"},
    {"kpxwizard copy: --query takes a single SELECT statement; '%s' %s",
     "kpxwizard copy: --query accetta una sola istruzione SELECT; '%s' %s"},
    {"does not start with SELECT", "non inizia con SELECT"},
    {"holds more than one statement", "contiene più di un'istruzione"},
    {"Matched %d saved column transformation(s) to the tables' columns",
     "Abbinate %d trasformazioni di colonna salvate alle colonne delle tabelle"},
    {"Rows to write:", "Da scrivere:"},
    {"kpxwizard: %lld row(s) would be rejected; they are listed in %s",
     "kpxwizard: %lld riga/e verrebbe/ro scartata/e; sono elencate in %s"},
    {"Dry run: nothing was written to %s", "Prova: nulla è stato scritto in %s"},
    {"kpxwizard %s: %s is given twice; see 'kpxwizard %s --help'",
     "kpxwizard %s: %s è indicata due volte; vedere 'kpxwizard %s --help'"},
    {"kpxwizard %s: %s needs a value; see 'kpxwizard %s --help'",
     "kpxwizard %s: %s richiede un valore; vedere 'kpxwizard %s --help'"},
    {"kpxwizard %s: %s takes no value; see 'kpxwizard %s --help'",
     "kpxwizard %s: %s non accetta un valore; vedere 'kpxwizard %s --help'"},
    {"kpxwizard %s: unknown option %s; see 'kpxwizard %s --help'",
     "kpxwizard %s: opzione sconosciuta %s; vedere 'kpxwizard %s --help'"},
    {"kpxwizard: unknown command '%s'; the commands are copy, run, inspect and wizard (kpxwizard "
     "--help)",
     "kpxwizard: comando sconosciuto '%s'; i comandi sono copy, run, inspect e wizard (kpxwizard "
     "--help)"},
    {" (error %d)", " (errore %d)"},
    {"%s '%s' is a directory, not a file; give the path of a file",
     "%s '%s' è una cartella, non un file; indicare il percorso di un file"},
    {"%s '%s' does not exist; %s", "%s '%s' non esiste; %s"},
    {"kpxwizard copy: the source file", "kpxwizard copy: il file di origine"},
    {"kpxwizard %s: the configuration file", "kpxwizard %s: il file di configurazione"},
    {"check the path", "controllare il percorso"},
    {"save one with 'kpxwizard copy … --save %s' or the wizard",
     "salvarne uno con 'kpxwizard copy … --save %s' o con la procedura guidata"},
    {"kpxwizard: cannot open '%s' as %s (see the message above); %s",
     "kpxwizard: impossibile aprire '%s' come %s (vedere il messaggio sopra); %s"},
    {"check the server, the database, the user and the password",
     "controllare il server, il database, l'utente e la password"},
    {"check that the file is one", "controllare che il file lo sia"},
    {"kpxwizard: '%s' holds no table", "kpxwizard: '%s' non contiene tabelle"},
    {"kpxwizard: '%s' holds several tables (%s); choose one with %s NAME",
     "kpxwizard: '%s' contiene più tabelle (%s); sceglierne una con %s NOME"},
    {"kpxwizard: '%s' has no table '%s'; its tables are: %s",
     "kpxwizard: '%s' non ha la tabella '%s'; le sue tabelle sono: %s"},
    {"none", "nessuna"},
    {"kpxwizard copy: cannot tell what kind of file the source '%s' is; give it one of the endings "
     "%s, or an address mssql://user@host[:port]/database",
     "kpxwizard copy: impossibile capire di che tipo è l'origine '%s'; darle una delle estensioni "
     "%s, o un indirizzo mssql://utente@host[:porta]/database"},
    {"kpxwizard copy: cannot tell what kind of file the destination '%s' is; give it one of the "
     "endings %s, or an address mssql://user@host[:port]/database",
     "kpxwizard copy: impossibile capire di che tipo è la destinazione '%s'; darle una delle "
     "estensioni %s, o un indirizzo mssql://utente@host[:porta]/database"},
    {"kpxwizard copy: the text file '%s' is read whole; --query needs a database, workbook or HTML "
     "source",
     "kpxwizard copy: il file di testo '%s' si legge per intero; --query richiede un'origine "
     "database, cartella di lavoro o HTML"},
    {"kpxwizard copy: give either --from-table or --query, not both",
     "kpxwizard copy: indicare --from-table oppure --query, non entrambe"},
    {"kpxwizard copy: the destination '%s' is a directory, not a file; give the path of a file in "
     "it",
     "kpxwizard copy: la destinazione '%s' è una cartella, non un file; indicare il percorso di un "
     "file al suo interno"},
    {"kpxwizard copy: an HTML page can only be read; choose a .db, .xlsx, .xls or .csv destination "
     "instead of '%s'",
     "kpxwizard copy: una pagina HTML si può solo leggere; scegliere una destinazione .db, .xlsx, "
     ".xls o .csv invece di '%s'"},
    {"kpxwizard copy: Access files are read-only here, so '%s' cannot be written; copy into a "
     "SQLite database (.db) instead",
     "kpxwizard copy: qui i file Access sono di sola lettura, quindi '%s' non può essere scritto; "
     "copiare invece in un database SQLite (.db)"},
    {"kpxwizard copy: the text file '%s' exists and would be replaced; add --replace to overwrite "
     "it",
     "kpxwizard copy: il file di testo '%s' esiste e verrebbe sostituito; aggiungere --replace per "
     "sovrascriverlo"},
    {"kpxwizard copy: the destination '%s' does not exist; add --create to make it with a new "
     "table",
     "kpxwizard copy: la destinazione '%s' non esiste; aggiungere --create per crearla con una "
     "nuova tabella"},
    {"kpxwizard copy: cannot create the SQLite database '%s' (see the message above)",
     "kpxwizard copy: impossibile creare il database SQLite '%s' (vedere il messaggio sopra)"},
    {"kpxwizard copy: give a source and a destination, as in 'kpxwizard copy customers.csv shop.db "
     "--create' (kpxwizard copy --help)",
     "kpxwizard copy: indicare un'origine e una destinazione, come in 'kpxwizard copy "
     "customers.csv shop.db --create' (kpxwizard copy --help)"},
    {"kpxwizard copy: a dry run creates no table for a saved configuration to fill; run the copy "
     "without --dry-run to --save it",
     "kpxwizard copy: una prova non crea la tabella che una configurazione salvata riempirebbe; "
     "eseguire la copia senza --dry-run per salvarla con --save"},
    {"kpxwizard copy: --encoding says how a text source is written; text destinations are always "
     "written in UTF-8",
     "kpxwizard copy: --encoding indica come è scritta un'origine di testo; le destinazioni di "
     "testo sono sempre scritte in UTF-8"},
    {"kpxwizard copy: a dry run into SQL Server cannot rehearse --create or --replace, which the "
     "server would carry out; leave them out to check the rows against an existing table",
     "kpxwizard copy: una prova in SQL Server non può simulare --create o --replace, che "
     "eseguirebbe il server; ometterle per verificare le righe su una tabella esistente"},
    {"kpxwizard copy: --infer-types chooses the column types of a new table made from a text file; "
     "use it with a text source, a database or workbook destination and --create",
     "kpxwizard copy: --infer-types sceglie i tipi delle colonne di una nuova tabella creata da un "
     "file di testo; usarla con un'origine di testo, una destinazione database o cartella di "
     "lavoro e --create"},
    {"kpxwizard copy: cannot save the configuration to '%s'%s",
     "kpxwizard copy: impossibile salvare la configurazione in '%s'%s"},
    {"kpxwizard run: give one configuration file, as in 'kpxwizard run CONFIG.ini' (kpxwizard run "
     "--help)",
     "kpxwizard run: indicare un file di configurazione, come in 'kpxwizard run CONFIG.ini' "
     "(kpxwizard run --help)"},
    {"kpxwizard: cannot copy '%s' for the dry run: %s",
     "kpxwizard: impossibile copiare '%s' per la prova: %s"},
    {"kpxwizard %s: cannot load the configuration '%s'%s",
     "kpxwizard %s: impossibile caricare la configurazione '%s'%s"},
    {"kpxwizard run: the source in '%s' is not valid%s; check its Database, TypeConnection and "
     "TableName",
     "kpxwizard run: l'origine in '%s' non è valida%s; controllarne Database, TypeConnection e "
     "TableName"},
    {"kpxwizard run: the destination in '%s' is not valid%s; check its Database, TypeConnection "
     "and TableName",
     "kpxwizard run: la destinazione in '%s' non è valida%s; controllarne Database, TypeConnection "
     "e TableName"},
    {" (its section is missing or empty)", " (la sua sezione manca o è vuota)"},
    {"kpxwizard run: a transformation in '%s' names a column the tables do not have%s; save the "
     "transfer again or correct the file",
     "kpxwizard run: una trasformazione in '%s' nomina una colonna che le tabelle non hanno%s; "
     "salvare di nuovo il trasferimento o correggere il file"},
    {"kpxwizard wizard: give at most one configuration file, as in 'kpxwizard wizard CONFIG.ini' "
     "(kpxwizard wizard --help)",
     "kpxwizard wizard: indicare al massimo un file di configurazione, come in 'kpxwizard wizard "
     "CONFIG.ini' (kpxwizard wizard --help)"},
    {"kpxwizard wizard: this build has no wizard window (it was built without Qt); run a saved "
     "transfer with 'kpxwizard run CONFIG.ini'",
     "kpxwizard wizard: questa versione non ha la finestra della procedura guidata (è stata "
     "compilata senza Qt); eseguire un trasferimento salvato con 'kpxwizard run CONFIG.ini'"},
    {"kpxwizard wizard: the window cannot open: %s",
     "kpxwizard wizard: la finestra non si può aprire: %s"},
    {"kpxwizard: the delimiter '%s' is not one character; use e.g. --delimiter ';' or --delimiter "
     "tab",
     "kpxwizard: il delimitatore '%s' non è un solo carattere; usare ad es. --delimiter ';' o "
     "--delimiter tab"},
    {"kpxwizard: the qualifier '%s' is not one character; use e.g. --qualifier \"'\" or "
     "--qualifier none",
     "kpxwizard: il qualificatore '%s' non è un solo carattere; usare ad es. --qualifier \"'\" o "
     "--qualifier none"},
    {"kpxwizard: the width '%s' in --fixed %s is not a positive number; give the widths as --fixed "
     "10,20,5",
     "kpxwizard: la larghezza '%s' in --fixed %s non è un numero positivo; indicare le larghezze "
     "come --fixed 10,20,5"},
    {"kpxwizard: the encoding '%s' is not known; give one of %s",
     "kpxwizard: la codifica '%s' non è conosciuta; indicarne una tra %s"},
    {"kpxwizard: warning: line %lld of '%s' holds a byte that is not UTF-8, so its text is read as "
     "Windows-1252; give --encoding utf-8, windows-1252, latin-1 or utf-16 to say how the file is "
     "written\n",
     "kpxwizard: attenzione: la riga %lld di '%s' contiene un byte che non è UTF-8, quindi il suo "
     "testo è letto come Windows-1252; indicare --encoding utf-8, windows-1252, latin-1 o utf-16 "
     "per dire come è scritto il file\n"},
    {"kpxwizard: give either %s or %s, not both", "kpxwizard: indicare %s oppure %s, non entrambe"},
    {"kpxwizard: give either --yes or --no, not both",
     "kpxwizard: indicare --yes oppure --no, non entrambe"},
    {"kpxwizard: unknown language '%s'; use --lang it or --lang en",
     "kpxwizard: lingua sconosciuta '%s'; usare --lang it o --lang en"},
    {"kpxwizard: the log folder '%s' does not exist; create it or choose another --log-dir",
     "kpxwizard: la cartella del log '%s' non esiste; crearla o sceglierne un'altra con --log-dir"},
    {"kpxwizard: --busy-timeout takes a whole number of seconds, as in --busy-timeout 30; '%s' is "
     "not one",
     "kpxwizard: --busy-timeout richiede un numero intero di secondi, come in --busy-timeout 30; "
     "'%s' non lo è"},
    {"kpxwizard: waiting for the database '%s', locked by %s (%d of %d s, --busy-timeout)",
     "kpxwizard: in attesa del database '%s', bloccato da %s (%d di %d s, --busy-timeout)"},
    {"process %lld", "il processo %lld"},
    {"another program", "un altro programma"},
    {"kpxwizard: cannot write the rejected rows to '%s': %s",
     "kpxwizard: impossibile scrivere le righe scartate in '%s': %s"},
    {"kpxwizard: cannot make a temporary folder for the dry run of '%s'",
     "kpxwizard: impossibile creare una cartella temporanea per la prova di '%s'"},
    {" [Yes, --yes]", " [Sì, --yes]"},
    {" [No; --yes answers Yes]", " [No; --yes risponde Sì]"},
    {"a signal", "un segnale"},
    {"kpxwizard: cannot read the text file '%s' to infer its types: %s",
     "kpxwizard: impossibile leggere il file di testo '%s' per dedurne i tipi: %s"},
    {"kpxwizard: %lld rejected row(s) hold the column delimiter and, without a text qualifier, are "
     "listed only in the error log",
     "kpxwizard: %lld riga/e scartata/e contiene/contengono il delimitatore di colonna e, senza "
     "qualificatore di testo, è/sono elencata/e solo nel log degli errori"},
    {"kpxwizard: the SQL Server address '%s' %s; write it as mssql://user@host[:port]/database",
     "kpxwizard: l'indirizzo SQL Server '%s' %s; scriverlo come "
     "mssql://utente@host[:porta]/database"},
    {"names no user", "non nomina un utente"},
    {"holds a password; give it in KPX_SQLSERVER_PASSWORD or at the prompt instead",
     "contiene una password; indicarla invece in KPX_SQLSERVER_PASSWORD o alla richiesta"},
    {"names no server", "non nomina un server"},
    {"has a port '%s' that is not a number", "ha una porta '%s' che non è un numero"},
    {"names no database", "non nomina un database"},
    {"kpxwizard: no password for %s on SQL Server '%s'; set KPX_SQLSERVER_PASSWORD",
     "kpxwizard: nessuna password per %s su SQL Server '%s'; impostare KPX_SQLSERVER_PASSWORD"},
    {"Password for %s on %s: ", "Password per %s su %s: "},
    {"Access database", "database Access"},
    {"SQLite database", "database SQLite"},
    {"SQL Server database", "database SQL Server"},
    {"Excel workbook", "cartella di lavoro Excel"},
    {"text file", "file di testo"},
    {"HTML page", "pagina HTML"},
    {"unknown kind", "tipo sconosciuto"},
};
static_assert(std::size(kTexts) == static_cast<size_t>(Said::KindUnknown) + 1);

bool g_italian = false;

// Characters as a terminal shows them: UTF-8 continuation bytes take no room.
size_t shownWidth(const char* text) {
  size_t width = 0;
  for (const char* p = text; *p; ++p)
    if ((static_cast<unsigned char>(*p) & 0xC0) != 0x80) ++width;
  return width;
}

}  // namespace

void setProgramItalian(bool italian) {
  g_italian = italian;
}

bool programItalian() {
  return g_italian;
}

const char* said(Said what) {
  const Pair& pair = kTexts[static_cast<size_t>(what)];
  return g_italian ? pair.italian : pair.english;
}

std::string summaryLabel(Said label) {
  size_t widest = 0;
  for (Said line : {Said::RowsRead, Said::RowsWritten, Said::RowsToWrite, Said::RowsRejected,
                    Said::Time, Said::ErrorLog})
    widest = std::max(widest, shownWidth(said(line)));
  const char* text = said(label);
  return text + std::string(widest + 1 - shownWidth(text), ' ');
}

}  // namespace kpx::cli
