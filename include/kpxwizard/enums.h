// The enumerations a host uses to describe a transfer, with their fixed values.
#pragma once
#include <cstdint>

namespace kpx {

// Kind of data source.
enum enConnectionType : int32_t {
  CONN_ACCESS = 1,
  CONN_SQLServer = 2,
  CONN_EXCEL = 3,  // Excel 97-2000
  CONN_TEXTFILE = 4,
  CONN_HTML_SOURCE = 5,
  CONN_dBASE = 6,    // known but rejected wherever a connection is validated
  CONN_PARADOX = 7,  // likewise
  CONN_EXCEL3 = 8,
  CONN_EXCEL4 = 9,
  CONN_EXCEL5 = 10,
};

// The kinds opened through the Jet provider: Access, the four Excel generations, HTML.
constexpr bool isJetKind(int32_t kind) {
  return kind == CONN_ACCESS || kind == CONN_EXCEL || kind == CONN_HTML_SOURCE ||
         kind == CONN_EXCEL3 || kind == CONN_EXCEL4 || kind == CONN_EXCEL5;
}

// Role of a connection; also its id inside the package.
enum enSourceDestination : int32_t { kpxSource = 1, kpxDestination = 2 };

// Whether a connection reads a table or a query (the query text is then in TableName).
enum enTypeTableConn : int32_t { kpxTypeQuery = 1, kpxTypeTable = 2 };

enum enTypeTextFile : int32_t { kpxDelimitedFile = 1, kpxFixedFile = 2 };

enum enRowDelimiter : int32_t {
  kpxCRLF = 0,
  kpxComma = 1,
  kpxSemicolon = 2,
  kpxTab = 3,
  kpxVerticalBar = 4,
  kpxCR = 5,
  kpxLF = 6,
};

enum enTransformationType : int32_t { kpxCopyColumn = 0, kpxConstantColumn = 1 };

enum enKpxLanguage : int32_t { kpxLanguageEnglish = 0, kpxLanguageItalian = 1 };

// Message-box styles the system uses and the button codes a box answers.
enum MessageStyle : int32_t {
  vbCritical = 16,
  vbQuestionYesNo = 36,
  vbExclamation = 48,
  vbInformation = 64,
};
enum MessageAnswer : int32_t { vbOK = 1, vbYes = 6, vbNo = 7 };

}  // namespace kpx
