# The driver core built natively, with the simulated kernel and bridge chip: used by the driver
# tests, the driver benchmark and the IOCTL fuzz target.
if(NOT TARGET qmub_driver_sim)
    file(GLOB QMUB_CORE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/driver/core/*.cpp)
    set(QMUB_SIM_SOURCES ${CMAKE_SOURCE_DIR}/tests/driver/sim_kernel.cpp
        ${CMAKE_SOURCE_DIR}/tests/driver/sim_bridge.cpp
        ${CMAKE_SOURCE_DIR}/tests/driver/sim_power.cpp)
    add_library(qmub_driver_sim STATIC ${QMUB_CORE_SOURCES} ${QMUB_SIM_SOURCES})
    target_include_directories(qmub_driver_sim PUBLIC ${CMAKE_SOURCE_DIR}/driver
        ${CMAKE_SOURCE_DIR}/tests/driver)
    find_package(Threads REQUIRED)
    target_link_libraries(qmub_driver_sim PUBLIC Threads::Threads)
endif()
