# SQL Server through FreeTDS's db-lib (sybdb), the open TDS client.
find_library(SYBDB_LIBRARY NAMES sybdb REQUIRED)
find_path(SYBDB_INCLUDE_DIR NAMES sybdb.h REQUIRED)
target_include_directories(kpx_data PRIVATE ${SYBDB_INCLUDE_DIR})
target_link_libraries(kpx_data PUBLIC ${SYBDB_LIBRARY})
