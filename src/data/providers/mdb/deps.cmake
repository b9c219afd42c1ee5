# mdbtools reads Microsoft Access files for the mdb provider.
pkg_check_modules(LIBMDB REQUIRED IMPORTED_TARGET libmdb)
target_link_libraries(kpx_data PUBLIC PkgConfig::LIBMDB)
