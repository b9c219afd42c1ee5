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
};
static_assert(std::size(kTexts) == static_cast<size_t>(Said::LogFolderNotWritable) + 1);

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
  for (Said line :
       {Said::RowsRead, Said::RowsWritten, Said::RowsRejected, Said::Time, Said::ErrorLog})
    widest = std::max(widest, shownWidth(said(line)));
  const char* text = said(label);
  return text + std::string(widest + 1 - shownWidth(text), ' ');
}

}  // namespace kpx::cli
