# What a packager sets to brand the launcher: the icon, the product name and
# version in the version block, the execution level the manifest requests,
# and the name of the program file.
set(VELMAR_OUTPUT_NAME "velmar" CACHE STRING "File name of the launcher, without .exe")
set(VELMAR_ICON "${PROJECT_SOURCE_DIR}/src/resources/velmar.ico" CACHE FILEPATH "Icon of the launcher (.ico)")
set(VELMAR_PRODUCT_NAME "velmar" CACHE STRING "ProductName and FileDescription of the version block")
set(VELMAR_PRODUCT_VERSION "${PROJECT_VERSION}.0" CACHE STRING "Product and file version, four numbers a.b.c.d")
set(VELMAR_COMPANY_NAME "" CACHE STRING "CompanyName of the version block")
set(VELMAR_COPYRIGHT "" CACHE STRING "LegalCopyright of the version block")
set(VELMAR_EXECUTION_LEVEL "asInvoker" CACHE STRING "requestedExecutionLevel of the manifest")
set_property(CACHE VELMAR_EXECUTION_LEVEL PROPERTY STRINGS asInvoker highestAvailable requireAdministrator)

# Texts go into the resource script as C string literals.
function(velmar_rc_string out value)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\"\"" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# Writes branding.h and velmar.manifest for the resource script into
# `folder`. The branding tool (tools/brand) applies the same rules to a
# built launcher, and a test holds the two to the same resources.
function(velmar_branding_files folder)
  cmake_parse_arguments(arg "" "OUTPUT_NAME;ICON;PRODUCT_NAME;PRODUCT_VERSION;COMPANY_NAME;COPYRIGHT;EXECUTION_LEVEL" "" ${ARGN})
  if(NOT arg_PRODUCT_VERSION MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
    message(FATAL_ERROR "VELMAR_PRODUCT_VERSION must be up to four numbers, such as 2.1.0.7")
  endif()
  string(REPLACE "." ";" parts "${arg_PRODUCT_VERSION}")
  foreach(part IN LISTS parts)
    # Each number is a 16-bit half of the version block's fixed part.
    string(LENGTH "${part}" digits)
    if(digits GREATER 5 OR part GREATER 65535)
      message(FATAL_ERROR "VELMAR_PRODUCT_VERSION has a number above 65535: ${arg_PRODUCT_VERSION}")
    endif()
  endforeach()
  list(LENGTH parts count)
  while(count LESS 4)
    list(APPEND parts 0)
    math(EXPR count "${count} + 1")
  endwhile()
  string(REPLACE ";" "," VELMAR_VERSION_COMMAS "${parts}")
  if(NOT arg_EXECUTION_LEVEL MATCHES "^(asInvoker|highestAvailable|requireAdministrator)$")
    message(FATAL_ERROR "VELMAR_EXECUTION_LEVEL must be asInvoker, highestAvailable or requireAdministrator")
  endif()

  velmar_rc_string(VELMAR_RC_PRODUCT_NAME "${arg_PRODUCT_NAME}")
  velmar_rc_string(VELMAR_RC_COMPANY_NAME "${arg_COMPANY_NAME}")
  velmar_rc_string(VELMAR_RC_COPYRIGHT "${arg_COPYRIGHT}")
  velmar_rc_string(VELMAR_RC_OUTPUT_NAME "${arg_OUTPUT_NAME}")
  file(TO_CMAKE_PATH "${arg_ICON}" icon)
  velmar_rc_string(VELMAR_RC_ICON "${icon}")
  set(VELMAR_PRODUCT_VERSION "${arg_PRODUCT_VERSION}")
  set(VELMAR_EXECUTION_LEVEL "${arg_EXECUTION_LEVEL}")
  configure_file("${PROJECT_SOURCE_DIR}/src/resources/branding.h.in" "${folder}/branding.h" @ONLY)
  configure_file("${PROJECT_SOURCE_DIR}/src/resources/velmar.manifest.in" "${folder}/velmar.manifest" @ONLY)
endfunction()
