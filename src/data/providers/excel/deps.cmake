# Excel workbooks: libxlsxwriter writes .xlsx, libzip and expat read it; .xls is read and
# written by our own code (see README.md).
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
pkg_check_modules(EXPAT REQUIRED IMPORTED_TARGET expat)
target_link_libraries(kpx_data PUBLIC PkgConfig::XLSXWRITER PkgConfig::LIBZIP PkgConfig::EXPAT)
