# nerimo_assert_links(TARGET ALLOWED Qt6::Core core ...): stops the configuration when TARGET,
# with everything it links in turn, links a Qt module, a package target or one of our own
# libraries (NERIMO_LIBRARIES) other than those allowed. So a library that must not reach the
# window (the core) cannot come to, one include at a time, and no arrow points upward.

# The targets TARGET links, directly and through the libraries it links.
function(nerimo_links_of target out)
    set(seen)
    set(queue ${target})
    list(LENGTH queue waiting)
    while(waiting GREATER 0)
        list(POP_FRONT queue item)
        list(LENGTH queue waiting)
        if(item IN_LIST seen OR NOT TARGET ${item})
            continue()
        endif()
        list(APPEND seen ${item})
        get_target_property(type ${item} TYPE)
        set(properties INTERFACE_LINK_LIBRARIES)
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            list(APPEND properties LINK_LIBRARIES)
        endif()
        foreach(property IN LISTS properties)
            get_target_property(libraries ${item} ${property})
            if(NOT libraries)  # none, or the property not set
                continue()
            endif()
            foreach(library IN LISTS libraries)
                # A library linked only at the end, $<LINK_ONLY:...>, counts as well.
                string(REGEX REPLACE "^\\$<LINK_ONLY:(.+)>$" "\\1" library "${library}")
                list(APPEND queue ${library})
            endforeach()
        endforeach()
        list(LENGTH queue waiting)
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(nerimo_assert_links target)
    cmake_parse_arguments(ASSERT "" "" "ALLOWED" ${ARGN})
    nerimo_links_of(${target} linked)
    foreach(library IN LISTS linked)
        if((library MATCHES "^(Qt6::|PkgConfig::)" OR library IN_LIST NERIMO_LIBRARIES)
           AND NOT library IN_LIST ASSERT_ALLOWED AND NOT library STREQUAL target
           AND NOT library STREQUAL "Qt6::Platform")
            message(FATAL_ERROR
                "${target} links ${library}: it may link only ${ASSERT_ALLOWED}")
        endif()
    endforeach()
endfunction()
