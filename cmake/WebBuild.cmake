# The seven built for web pages (`cmake --preset web`): each program one
# .js file holding its WebAssembly, loaded by its page (web/).
#
# Exceptions on, so that memory running out ends a dialogue with the same
# message and status as natively; Asyncify lets a read wait for the page
# without blocking it. The page starts main itself (INVOKE_RUN=0) so that it
# gets the exit status and can start the program again in a new instance.
# Memory grows up to 2 GiB; beyond that an allocation fails, as natively.
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-fexceptions;-Oz>")
add_link_options(-fexceptions -Oz -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sMODULARIZE
                 -sEXPORT_NAME=createProgram -sINVOKE_RUN=0 -sEXPORTED_FUNCTIONS=_main
                 "-sEXPORTED_RUNTIME_METHODS=ccall,ENV" -sALLOW_MEMORY_GROWTH -sMAXIMUM_MEMORY=2GB
                 -sABORTING_MALLOC=0 -sSINGLE_FILE -sENVIRONMENT=web)
