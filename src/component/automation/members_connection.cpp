// The connection object's members as a host calls them.
#include "component/automation/dispatch_table.h"
#include "kpxwizard/automation_error.h"

namespace kpx::automation {

const DispatchTable<clsConnection>& connectionMembers() {
  static const DispatchTable<clsConnection> table = [] {
    using C = clsConnection;
    DispatchTable<C> t;
    addMethod<C>(t, "LetPropertyClass", 0x60030019, 3, [](C& self, Call& c) {
      LetPropertyClass(self, c.arg<std::string>(0), c.arg<std::string>(1), c.arg<std::string>(2));
    });
    addProperty(t, "Mode", 0x68030018, &C::Mode, &C::setMode);
    addProperty(t, "CreatedDestinationTable", 0x68030017, &C::CreatedDestinationTable,
                &C::setCreatedDestinationTable);
    addProperty(t, "SkipRows", 0x68030016, &C::SkipRows, &C::setSkipRows);
    addProperty(t, "Name", 0x68030015, &C::Name, &C::setName);
    addGet(t, "Columns", 0x68030014, &C::Columns);
    addProperty(t, "TableType", 0x68030013, &C::TableType, &C::setTableType);
    addProperty(t, "TableName", 0x68030012, &C::TableName, &C::setTableName);
    addProperty(t, "ColumnNames", 0x68030011, &C::ColumnNames, &C::setColumnNames);
    addProperty(t, "Server", 0x68030010, &C::Server, &C::setServer);
    addProperty(t, "Database", 0x6803000F, &C::Database, &C::setDatabase);
    addProperty(t, "ColumnDelimiter", 0x6803000E, &C::ColumnDelimiter, &C::setColumnDelimiter);
    addProperty(t, "RowDelimiter", 0x6803000D, &C::RowDelimiter, &C::setRowDelimiter);
    addProperty(t, "ColumnLengths", 0x6803000C, &C::ColumnLengths, &C::setColumnLengths);
    addProperty(t, "FirstRow", 0x6803000B, &C::FirstRow, &C::setFirstRow);
    addProperty(t, "FormatFile", 0x6803000A, &C::FormatFile, &C::setFormatFile);
    addProperty(t, "TextQualifier", 0x68030009, &C::TextQualifier, &C::setTextQualifier);
    addProperty(t, "NumberColumns", 0x68030008, &C::NumberColumns, &C::setNumberColumns);
    addProperty(t, "User", 0x68030007, &C::User, &C::setUser);
    addProperty(t, "Password", 0x68030006, &C::Password, &C::setPassword);
    addGet(t, "id", 0x68030005, &C::id);
    addGet(t, "ModeText", 0x68030004, &C::ModeText);
    addProperty(t, "ConnectionString", 0x68030003, &C::ConnectionString, &C::setConnectionString);
    addGet(t, "ProviderString", 0x68030002, &C::ProviderString);
    addPut(t, "Provider", 0x68030001, &C::setProvider);
    addProperty(t, "ConType", 0x68030000, &C::ConType, &C::setConType);
    addMethod<C>(t, "CreateConnectionString", 0x6003001A, 0,
                 [](C& self, Call& c) { c.result(self.CreateConnectionString()); });
    addMethod<C>(t, "ResetConnection", 0x6003001B, 0,
                 [](C& self, Call&) { self.ResetConnection(); });
    return t;
  }();
  return table;
}

}  // namespace kpx::automation
