#include "data/new_table_types.h"

#include "data/providers/provider.h"

namespace kpx::modDatabase {

std::map<std::string, ChosenColumnType>& chosenTextColumnTypes() {
  static std::map<std::string, ChosenColumnType> chosen;
  return chosen;
}

ChosenColumnType chosenTypeFor(const data::InferredColumn& inferred) {
  using data::InferredType;
  switch (inferred.type) {
    case InferredType::Bit:
      return {data::adBoolean, 0};
    case InferredType::Long:
      return {data::adInteger, 0};
    case InferredType::BigInt:
      return {data::adBigInt, 0};
    case InferredType::Double:
      return {data::adDouble, 0};
    case InferredType::Currency:
      return {data::adCurrency, 0};
    case InferredType::Datetime:
      return {data::adDate, 0};
    case InferredType::LongText:
      return {data::adLongVarWChar, 0};
    case InferredType::VarChar:
      break;
  }
  return {data::adVarWChar, inferred.size};
}

void applyChosenTextColumnTypes(StructureArray& structure, const clsConnection& destination) {
  const auto& chosen = chosenTextColumnTypes();
  const bool sqlServer = destination.ConType() == CONN_SQLServer;
  for (StructureRow& r : structure) {
    const auto it = chosen.find(r[0]);
    if (it == chosen.end()) continue;
    const int32_t code = it->second.adoType;
    r[1] = sqlServer ? SqlServerTypeName(code) : JetTypeName(code);
    r[2] = std::to_string(it->second.size);
  }
}

}  // namespace kpx::modDatabase
