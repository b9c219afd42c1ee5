#include "package/dts/transformation.h"

namespace kpx::dts {

std::shared_ptr<Column> ColumnList::New(const std::string& name, int32_t ordinal) const {
  auto column = std::make_shared<Column>();
  column->Name = name;
  column->Ordinal = ordinal;
  return column;
}

ScriptTransformation::ScriptTransformation() {
  TransformServerProperties.Set("Text", std::string());
  TransformServerProperties.Set("Language", std::string("VBScript"));
  TransformServerProperties.Set("FunctionEntry", std::string("Main"));
}

std::shared_ptr<Transformation> TransformationList::New(const std::string& className) const {
  if (sameName(className, kCopyTransformationClass)) return std::make_shared<CopyTransformation>();
  if (sameName(className, kScriptTransformationClass))
    return std::make_shared<ScriptTransformation>();
  throw DtsError(kErrInvalidClass, kSourceDataPump,
                 "The transformation class '" + className + "' is not available; use '" +
                     kCopyTransformationClass + "' or '" + kScriptTransformationClass + "'");
}

}  // namespace kpx::dts
