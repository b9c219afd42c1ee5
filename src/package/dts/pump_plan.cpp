#include "package/dts/pump_plan.h"

#include "package/dts/constant_script.h"

namespace kpx::dts {
namespace {

[[noreturn]] void fail(const std::string& description) {
  throw DtsError(kErrStepFailed, kSourceDataPump, description);
}

class PlanBuilder {
 public:
  PlanBuilder(const DataPumpTask& pump, const std::vector<data::ColumnInfo>& source,
              data::DataSource& destination)
      : m_pump(pump), m_source(source), m_destination(destination) {}

  PumpPlan build() {
    if (m_pump.Transformations.Count() == 0) {
      fail("The data pump '" + m_pump.Name + "' has no transformations: no column of table '" +
           m_pump.DestinationObjectName + "' would be filled");
    }
    for (const auto& transformation : m_pump.Transformations) {
      if (dynamic_cast<const ScriptTransformation*>(transformation.get())) {
        addScript(*transformation);
      } else {
        addCopy(*transformation);
      }
    }
    return std::move(m_plan);
  }

 private:
  void addCopy(const Transformation& t) {
    const auto& from = t.SourceColumns;
    const auto& to = t.DestinationColumns;
    if (from.Count() == 0 && to.Count() == 0) {
      const auto tableColumns = m_destination.columns(m_pump.DestinationObjectName);
      const size_t n = std::min(tableColumns.size(), m_source.size());
      for (size_t i = 0; i < n; ++i) addSlot(t, tableColumns[i].name, static_cast<int>(i), {});
      return;
    }
    if (from.Count() != to.Count()) {
      fail("The copy transformation '" + t.Name + "' has " + std::to_string(from.Count()) +
           " source columns and " + std::to_string(to.Count()) + " destination columns");
    }
    for (int32_t i = 1; i <= from.Count(); ++i) {
      addSlot(t, to.Item(i)->Name, sourceOrdinal(t, from.Item(i)->Name), {});
    }
  }

  void addScript(const Transformation& t) {
    const std::string language = t.TransformServerProperties.Text("Language");
    if (!language.empty() && !sameName(language, "VBScript")) {
      fail("The transformation '" + t.Name + "' is written in " + language +
           "; only VBScript runs");
    }
    std::string entry = t.TransformServerProperties.Text("FunctionEntry");
    if (entry.empty()) entry = "Main";
    std::vector<ScriptAssignment> assignments;
    try {
      assignments = parseConstantScript(t.TransformServerProperties.Text("Text"), entry);
    } catch (const ScriptError& e) {
      fail("The script of transformation '" + t.Name + "' cannot be run: " + e.what());
    }
    for (const auto& a : assignments) {
      if (t.DestinationColumns.Count() > 0 && !t.DestinationColumns.Find(a.column)) {
        fail("The script of transformation '" + t.Name + "' sets the column '" + a.column +
             "', which is not one of its destination columns");
      }
      addSlot(t, a.column, -1, a.isNull ? data::Value::null() : data::Value::fromString(a.value));
    }
  }

  int sourceOrdinal(const Transformation& t, const std::string& name) const {
    for (size_t i = 0; i < m_source.size(); ++i) {
      if (sameName(m_source[i].name, name)) return static_cast<int>(i);
    }
    fail("The source of data pump '" + m_pump.Name + "' has no column '" + name +
         "' (transformation '" + t.Name + "')");
  }

  void addSlot(const Transformation& t, const std::string& column, int source,
               const data::Value& constant) {
    for (const auto& existing : m_plan.destinationColumns) {
      if (sameName(existing, column)) {
        fail("The destination column '" + column + "' is filled twice (transformation '" + t.Name +
             "')");
      }
    }
    m_plan.destinationColumns.push_back(column);
    PumpSlot slot;
    slot.source = source;
    slot.constant.assign(constant);
    m_plan.slots.push_back(std::move(slot));
  }

  const DataPumpTask& m_pump;
  const std::vector<data::ColumnInfo>& m_source;
  data::DataSource& m_destination;
  PumpPlan m_plan;
};

}  // namespace

PumpPlan compilePumpPlan(const DataPumpTask& pump,
                         const std::vector<data::ColumnInfo>& sourceColumns,
                         data::DataSource& destination) {
  return PlanBuilder(pump, sourceColumns, destination).build();
}

}  // namespace kpx::dts
