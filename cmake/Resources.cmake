# Builds the ":/res" resource bundle from the files under res/ and compiles the
# translation sources into ":/res/client.qm".
#
# The .qrc is generated so that adding a resource is adding a file. The .ts
# sources are only read here (lrelease), never written, so a clean build cannot
# touch them.

set(RES_DIR ${PROJECT_SOURCE_DIR}/res)
file(GLOB_RECURSE RES_FILES CONFIGURE_DEPENDS RELATIVE ${RES_DIR} ${RES_DIR}/*)
list(FILTER RES_FILES EXCLUDE REGEX "^i18n/")
list(FILTER RES_FILES EXCLUDE REGEX "(^|/)(README|LICEN[CS]E)[^/]*$")
list(FILTER RES_FILES EXCLUDE REGEX "^tools/")

set(qrc_body "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/\">\n")
foreach(f IN LISTS RES_FILES)
  string(APPEND qrc_body "  <file alias=\"res/${f}\">${RES_DIR}/${f}</file>\n")
endforeach()

file(GLOB TS_FILES CONFIGURE_DEPENDS ${RES_DIR}/i18n/*.ts)
set(QM_FILE ${CMAKE_CURRENT_BINARY_DIR}/client.qm)
add_custom_command(
  OUTPUT ${QM_FILE}
  COMMAND Qt5::lrelease -silent ${TS_FILES} -qm ${QM_FILE}
  DEPENDS ${TS_FILES}
  COMMENT "Compiling the translation catalogue"
  VERBATIM)
string(APPEND qrc_body "  <file alias=\"res/client.qm\">${QM_FILE}</file>\n")
string(APPEND qrc_body "</qresource>\n</RCC>\n")

set(RES_QRC ${CMAKE_CURRENT_BINARY_DIR}/res.qrc)
file(CONFIGURE OUTPUT ${RES_QRC} CONTENT "${qrc_body}")

set(RES_CPP ${CMAKE_CURRENT_BINARY_DIR}/qrc_res.cpp)
set(RES_DEPS)
foreach(f IN LISTS RES_FILES)
  list(APPEND RES_DEPS ${RES_DIR}/${f})
endforeach()
add_custom_command(
  OUTPUT ${RES_CPP}
  COMMAND Qt5::rcc --name res --output ${RES_CPP} ${RES_QRC}
  DEPENDS ${RES_QRC} ${RES_DEPS} ${QM_FILE}
  COMMENT "Bundling resources"
  VERBATIM)
set_source_files_properties(${RES_CPP} PROPERTIES SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
set(CLIENT_RESOURCE_SOURCES ${RES_CPP})
