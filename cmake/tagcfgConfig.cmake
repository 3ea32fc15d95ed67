# find_package(tagcfg) from an installed prefix: tagcfg::tagcfg is libtagcfg.so with tagcfg.h,
# tagcfg::cli the host program (for example to run `tagcfg check` on project files in a test).
include(${CMAKE_CURRENT_LIST_DIR}/tagcfgTargets.cmake)
