# JNI headers: jni.h from the JDK installed on the build machine, with the
# project's own Windows jni_md.h placed before the JDK's Linux one.
set(VELMAR_JDK_HOME "" CACHE PATH "JDK whose include/jni.h is used")
if(NOT VELMAR_JDK_HOME)
  file(GLOB _velmar_jdks LIST_DIRECTORIES true /usr/lib/jvm/java-17-openjdk-* /usr/lib/jvm/*)
  foreach(_jdk IN LISTS _velmar_jdks)
    if(EXISTS "${_jdk}/include/jni.h")
      set(VELMAR_JDK_HOME "${_jdk}" CACHE PATH "JDK whose include/jni.h is used" FORCE)
      break()
    endif()
  endforeach()
endif()
if(NOT EXISTS "${VELMAR_JDK_HOME}/include/jni.h")
  message(FATAL_ERROR "jni.h not found; install openjdk-17-jdk-headless or set VELMAR_JDK_HOME")
endif()

# jni.h includes "jni_md.h"; the JDK keeps its Linux one in include/linux,
# which is never on our path, so the Windows one is found instead.
add_library(velmar_jni INTERFACE)
target_include_directories(velmar_jni SYSTEM INTERFACE
  "${PROJECT_SOURCE_DIR}/src/jvm/jni-windows" "${VELMAR_JDK_HOME}/include")
