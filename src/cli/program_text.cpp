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
    {"kpxwizard copy: cannot delete the rows of '%s' in '%s'",
     "kpxwizard copy: impossibile eliminare le righe di '%s' in '%s'"},
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
};
static_assert(std::size(kTexts) == static_cast<size_t>(Said::DryRunWroteNothing) + 1);

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
