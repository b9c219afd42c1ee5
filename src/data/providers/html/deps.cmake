# HTML tables are read with gumbo, an HTML5-conformant parser.
pkg_check_modules(GUMBO REQUIRED IMPORTED_TARGET gumbo)
target_link_libraries(kpx_data PUBLIC PkgConfig::GUMBO)
