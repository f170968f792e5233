# Debian packages of the library and its tools (scripts/package runs cpack):
#   libsensorcontrol1     the shared library
#   libsensorcontrol-dev  headers, the link name, the CMake package, pkg-config
#   sensorcontrol-tools   sensorctl, sensord with its unit and configuration,
#                         the settings page and the default board tree
# Versions come from project(); dependencies from the binaries
# (dpkg-shlibdeps), each package's own on top.

set(SC_DEB_MAINTAINER "sensorcontrol developers <sensorcontrol@example.com>")
set(SC_DEB_PACKAGES lib dev tools)
set(SC_DEB_NAME_lib libsensorcontrol${PROJECT_VERSION_MAJOR})
set(SC_DEB_NAME_dev libsensorcontrol-dev)
set(SC_DEB_NAME_tools sensorcontrol-tools)

# What Debian wants in every package's documentation directory: the
# copyright and a changelog, compressed the way dpkg expects (no time stamp,
# so that two builds give the same package).
set(SC_DEB_DOC_DIR ${PROJECT_BINARY_DIR}/deb-doc)
# (SOURCE_DATE_EPOCH, when set, fixes the date.)
string(TIMESTAMP SC_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
find_program(SC_GZIP gzip)
foreach(component IN LISTS SC_DEB_PACKAGES)
    set(name ${SC_DEB_NAME_${component}})
    set(dir ${SC_DEB_DOC_DIR}/${name})
    file(MAKE_DIRECTORY ${dir})
    configure_file(${PROJECT_SOURCE_DIR}/cmake/deb/copyright ${dir}/copyright COPYONLY)
    file(WRITE ${dir}/changelog.Debian
        "${name} (${PROJECT_VERSION}-1) unstable; urgency=medium\n\n"
        "  * Release ${PROJECT_VERSION}.\n\n"
        " -- ${SC_DEB_MAINTAINER}  ${SC_DEB_DATE}\n")
    if(SC_GZIP)
        execute_process(COMMAND ${SC_GZIP} -9nf ${dir}/changelog.Debian)
    endif()
    install(FILES ${dir}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${name}
        COMPONENT ${component})
    install(FILES ${dir}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${name}
        COMPONENT ${component} OPTIONAL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sensorcontrol)
set(CPACK_PACKAGE_VENDOR "sensorcontrol developers")
set(CPACK_PACKAGE_CONTACT ${SC_DEB_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The install runs with the prefix /usr under a staging DESTDIR, so that the
# rules that depend on the prefix (the configuration in /etc) see it.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL ${SC_DEB_PACKAGES})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SC_DEB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.com/sensorcontrol")
# dpkg names the architecture; a cross build says which it is for.
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR MATCHES "^arm")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
endif()

set(sc_version "${PROJECT_VERSION}-1")

set(CPACK_DEBIAN_LIB_PACKAGE_NAME ${SC_DEB_NAME_lib})
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
# A shlibs file for the packages built on this one, and ldconfig run by a
# trigger rather than by maintainer scripts.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
file(WRITE ${PROJECT_BINARY_DIR}/deb-scripts/lib/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/deb-scripts/lib/triggers)
set(CPACK_DEBIAN_LIB_DESCRIPTION
    "image-source control for security cameras (shared library)
sensorcontrol keeps a camera's image parameters (brightness, shutter, gain,
white balance and many more) in memory, applies them to the SoC's ISP or to
an external camera module over a serial line (VISCA, CMD, hex-text and
register protocols), persists them, and switches day and night pictures.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${SC_DEB_NAME_dev})
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${SC_DEB_NAME_lib} (= ${sc_version})")
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "image-source control for security cameras (development files)
The headers, the CMake package (find_package(SensorControl)) and the
pkg-config file for building a camera's main application on sensorcontrol.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ${SC_DEB_NAME_tools})
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION video)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "adduser")
set(CPACK_DEBIAN_TOOLS_DESCRIPTION
    "image-source control for security cameras (sensorctl and sensord)
sensorctl boots a camera module and runs one command on it (read or set a
parameter, probe the serial line, simulate a day). sensord is the camera's
image service: ONVIF Imaging, a JSON API and a settings page, run by
systemd as its own user.")
configure_file(${PROJECT_SOURCE_DIR}/cmake/deb/postinst ${PROJECT_BINARY_DIR}/deb-scripts/postinst
    COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/deb/prerm ${PROJECT_BINARY_DIR}/deb-scripts/prerm
    COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/deb/postrm ${PROJECT_BINARY_DIR}/deb-scripts/postrm
    COPYONLY)
file(WRITE ${PROJECT_BINARY_DIR}/deb-scripts/conffiles "/etc/sensord/sensord.conf\n")
set(CPACK_DEBIAN_TOOLS_PACKAGE_CONTROL_EXTRA
    ${PROJECT_BINARY_DIR}/deb-scripts/postinst ${PROJECT_BINARY_DIR}/deb-scripts/prerm
    ${PROJECT_BINARY_DIR}/deb-scripts/postrm ${PROJECT_BINARY_DIR}/deb-scripts/conffiles)
set(CPACK_DEBIAN_TOOLS_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
