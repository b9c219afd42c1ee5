// Transformations of a data pump: a column copy ("DTS.DataPumpTransformCopy") and a script
// that sets destination columns to constants ("DTSPump.DataPumpTransformScript").
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "package/dts/dts_list.h"
#include "package/dts/option_values.h"

namespace kpx::dts {

inline constexpr const char* kCopyTransformationClass = "DTS.DataPumpTransformCopy";
inline constexpr const char* kScriptTransformationClass = "DTSPump.DataPumpTransformScript";

// A source or destination column of a transformation.
struct Column {
  std::string Name;
  int32_t Ordinal = 0;
  int32_t Size = 0;
  int32_t DataType = 0;  // ADO type code
  bool Nullable = true;
  int32_t Flags = 0;
  int32_t Precision = 0;
  int32_t NumericScale = 0;
};

class ColumnList : public DtsList<Column> {
 public:
  // A new column with that name and ordinal, not yet added.
  std::shared_ptr<Column> New(const std::string& name, int32_t ordinal) const;
};

class Transformation {
 public:
  virtual ~Transformation() = default;
  // The class name the transformation was made with.
  virtual std::string ClassName() const = 0;

  std::string Name;
  int32_t TransformFlags = kTransformFlagsDefault;
  int32_t ForceSourceBlobsBuffered = 0;
  bool ForceBlobsInMemory = false;
  int32_t InMemoryBlobSize = kInMemoryBlobSize;
  int32_t TransformPhases = kTransformPhaseTransform;
  ColumnList SourceColumns;
  ColumnList DestinationColumns;
  // Class-specific properties by name; a script transformation has "Text", "Language"
  // and "FunctionEntry".
  PropertySet TransformServerProperties;
};

// Copies each source column to the destination column at the same position of the two
// lists; with both lists empty, every source column to the destination column at its
// position.
class CopyTransformation : public Transformation {
 public:
  std::string ClassName() const override { return kCopyTransformationClass; }
};

// Runs the VBScript in "Text": the function named by "FunctionEntry" (Main) made of
// DTSDestination("column") = "constant" assignments and Main = DTSTransformStat_OK.
// A new one starts with "Text" empty, "Language" "VBScript", "FunctionEntry" "Main".
class ScriptTransformation : public Transformation {
 public:
  ScriptTransformation();
  std::string ClassName() const override { return kScriptTransformationClass; }
};

class TransformationList : public DtsList<Transformation> {
 public:
  // A new transformation of that class, not yet added; DtsError kErrInvalidClass for a
  // class the engine does not have.
  std::shared_ptr<Transformation> New(const std::string& className) const;
};

}  // namespace kpx::dts
