# What the programs learn from the build: the version, the name of the
# desktop entry and where an installed layout keeps its data beside its bin
# folder. Included from the top folder, before the programs.
include(GNUInstallDirs)

set(TAVRO_DESKTOP_ENTRY tavro-cam)
file(RELATIVE_PATH TAVRO_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR})

configure_file(${CMAKE_CURRENT_LIST_DIR}/build_info.h.in ${PROJECT_BINARY_DIR}/generated/build_info.h @ONLY)
add_library(tavro_build_info INTERFACE)
target_include_directories(tavro_build_info INTERFACE ${PROJECT_BINARY_DIR}/generated)
