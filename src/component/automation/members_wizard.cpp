// The wizard object's members as a host calls them.
#include "component/automation/dispatch_table.h"

namespace kpx::automation {

const DispatchTable<cKPXWizard>& wizardMembers() {
  static const DispatchTable<cKPXWizard> table = [] {
    using W = cKPXWizard;
    DispatchTable<W> t;
    addProperty(t, "AppName", 0x40030000, &W::AppName, &W::setAppName);
    addProperty(t, "Source", 0x6803000B, &W::Source, &W::setSource, KPX_DISPATCH_PROPERTYPUTREF);
    addProperty(t, "Destination", 0x6803000A, &W::Destination, &W::setDestination,
                KPX_DISPATCH_PROPERTYPUTREF);
    addProperty(t, "Transformations", 0x68030009, &W::Transformations, &W::setTransformations,
                KPX_DISPATCH_PROPERTYPUTREF);
    addProperty(t, "Language", 0x68030008, &W::Language, &W::setLanguage);
    addProperty(t, "LogFilePath", 0x68030007, &W::LogFilePath, &W::setLogFilePath);
    addProperty(t, "ReplaceDestinationRows", 0x68030006, &W::ReplaceDestinationRows,
                &W::setReplaceDestinationRows);
    addProperty(t, "CountCorrectImport", 0x68030005, &W::CountCorrectImport,
                &W::setCountCorrectImport);
    addProperty(t, "AutoCloseWizard", 0x68030004, &W::AutoCloseWizard, &W::setAutoCloseWizard);
    addProperty(t, "AskCloseConfirmation", 0x68030003, &W::AskCloseConfirmation,
                &W::setAskCloseConfirmation);
    addProperty(t, "LockSource", 0x68030002, &W::LockSource, &W::setLockSource);
    addProperty(t, "LockDestination", 0x68030001, &W::LockDestination, &W::setLockDestination);
    addGet(t, "ExecutedMapping", 0x68030000, &W::ExecutedMapping);
    addMethod<W>(t, "ActivateWizard", 0x6003000E, 0,
                 [](W& w, Call& c) { c.result(w.ActivateWizard()); });
    addMethod<W>(t, "BuildColumns", 0x6003000F, 2, [](W& w, Call& c) {
      c.result(w.BuildColumns(c.arg<std::shared_ptr<clsConnection>>(0),
                              c.arg<std::shared_ptr<clsConnection>>(1)));
    });
    addMethod<W>(t, "Execute", 0x60030010, 0, [](W& w, Call& c) { c.result(w.Execute()); });
    addMethod<W>(t, "Mapping", 0x60030011, 0, [](W& w, Call& c) { c.result(w.Mapping()); });
    addMethod<W>(t, "LoadFromINIFile", 0x60030015, 1,
                 [](W& w, Call& c) { c.result(w.LoadFromINIFile(c.arg<std::string>(0))); });
    addMethod<W>(t, "SaveIntoINIFile", 0x60030016, 1,
                 [](W& w, Call& c) { c.result(w.SaveIntoINIFile(c.arg<std::string>(0))); });
    addMethod<W>(t, "CloseWizard", 0x60030017, 0, [](W& w, Call&) { w.CloseWizard(); });
    return t;
  }();
  return table;
}

}  // namespace kpx::automation
