#include "cli/text_options.h"

#include "cli/program_text.h"

namespace kpx::cli {
namespace {

// Reads the options named `prefix` + "delimiter" and so on over `layout`.
void readLayout(const ParsedArguments& args, const std::string& prefix, TextLayout& layout) {
  const std::string header = prefix + "header", noHeader = prefix + "no-header";
  if (args.has(header) && args.has(noHeader))
    throw CliError(said(Said::HeaderOrNoHeader, header, noHeader));
  if (args.hasValue(prefix + "delimiter")) {
    layout.delimiter = parseDelimiter(args.value(prefix + "delimiter"));
    layout.widths.clear();  // a delimiter asked for makes the file delimited
  }
  if (args.hasValue(prefix + "qualifier"))
    layout.qualifier = parseQualifier(args.value(prefix + "qualifier"));
  if (args.has(header)) layout.header = true;
  if (args.has(noHeader)) layout.header = false;
  if (args.hasValue(prefix + "fixed")) layout.widths = parseWidths(args.value(prefix + "fixed"));
}

}  // namespace

void addTextOptions(AcceptedOptions& accepted, bool destinationToo) {
  for (const std::string prefix : {"--", "--to-"}) {
    if (prefix == "--to-" && !destinationToo) break;
    accepted.withValue.insert({prefix + "delimiter", prefix + "qualifier", prefix + "fixed"});
    accepted.flags.insert({prefix + "header", prefix + "no-header"});
  }
  // Only a source has an encoding to name: text destinations are always written in UTF-8.
  accepted.withValue.insert("--encoding");
}

TextLayout sourceLayout(const ParsedArguments& args) {
  TextLayout layout;
  readLayout(args, "--", layout);
  if (args.hasValue("--encoding")) layout.encoding = parseEncoding(args.value("--encoding"));
  return layout;
}

TextLayout destinationLayout(const ParsedArguments& args) {
  TextLayout layout = sourceLayout(args);
  layout.encoding.clear();  // text destinations are always written in UTF-8
  readLayout(args, "--to-", layout);
  return layout;
}

}  // namespace kpx::cli
