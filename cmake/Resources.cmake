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

# The QML panels: every file under qml/ is bundled at the root, so
# qml/volume.qml is "qrc:/volume.qml".
set(QML_DIR ${PROJECT_SOURCE_DIR}/qml)
file(GLOB_RECURSE QML_FILES CONFIGURE_DEPENDS RELATIVE ${QML_DIR} ${QML_DIR}/*)
list(FILTER QML_FILES EXCLUDE REGEX "(^|/)(README|LICEN[CS]E)[^/]*$")
set(qml_body "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/\">\n")
set(QML_DEPS)
foreach(f IN LISTS QML_FILES)
  string(APPEND qml_body "  <file alias=\"${f}\">${QML_DIR}/${f}</file>\n")
  list(APPEND QML_DEPS ${QML_DIR}/${f})
endforeach()
string(APPEND qml_body "</qresource>\n</RCC>\n")
set(QML_QRC ${CMAKE_CURRENT_BINARY_DIR}/qml.qrc)
file(CONFIGURE OUTPUT ${QML_QRC} CONTENT "${qml_body}")
set(QML_CPP ${CMAKE_CURRENT_BINARY_DIR}/qrc_qml.cpp)
add_custom_command(
  OUTPUT ${QML_CPP}
  COMMAND Qt5::rcc --name qml --output ${QML_CPP} ${QML_QRC}
  DEPENDS ${QML_QRC} ${QML_DEPS}
  COMMENT "Bundling the QML panels"
  VERBATIM)
set_source_files_properties(${QML_CPP} PROPERTIES SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
list(APPEND CLIENT_RESOURCE_SOURCES ${QML_CPP})
