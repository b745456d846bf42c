# Runs the demo estimate end to end and compares its two reports with the
# golden files, the line with the time of the run excepted.
# -DDATA=<qx_demo_data> -DQUARLEX=<quarlex> -DJOB=<demo.json> -DCSV_JOB=<demo_csv.json> -DGOLDEN=<dir> -DWORK=<dir>
# The second job reads the composites from the comma-separated copy: its
# polygon report must be the golden one too.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${DATA}" "${WORK}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "qx_demo_data failed: ${rc}")
endif()
configure_file("${JOB}" "${WORK}/demo.json" COPYONLY)
execute_process(COMMAND "${QUARLEX}" run "${WORK}/demo.json" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the demo job failed (${rc}):\n${out}\n${err}")
endif()
configure_file("${CSV_JOB}" "${WORK}/demo_csv.json" COPYONLY)
execute_process(COMMAND "${QUARLEX}" run "${WORK}/demo_csv.json" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the demo's CSV job failed (${rc}):\n${out}\n${err}")
endif()
foreach(report polygons.txt figures.txt polygons_csv.txt)
  file(READ "${WORK}/${report}" got)
  string(REPLACE "_csv" "" golden "${report}")
  file(READ "${GOLDEN}/${golden}" want)
  # The third line holds the time of the run: "  dd/mm/yyyy, hhHmm".
  string(REGEX REPLACE "\n  [0-9][0-9]/[0-9][0-9]/[0-9][0-9][0-9][0-9], [0-9][0-9]h[0-9][0-9]\n" "\n  <time>\n" got "${got}")
  string(REGEX REPLACE "\n  [0-9][0-9]/[0-9][0-9]/[0-9][0-9][0-9][0-9], [0-9][0-9]h[0-9][0-9]\n" "\n  <time>\n" want "${want}")
  if(NOT got STREQUAL want)
    message(FATAL_ERROR "${report} differs from ${GOLDEN}/${golden}; compare with: diff ${WORK}/${report} ${GOLDEN}/${golden}")
  endif()
endforeach()
# The plan plot opens in real readers: ezdxf reads and audits the DXF,
# poppler the PDF.
foreach(file PLAN.plt PLAN.dxf PLAN.pdf)
  if(NOT EXISTS "${WORK}/${file}")
    message(FATAL_ERROR "the demo wrote no ${file}")
  endif()
endforeach()
find_program(PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
execute_process(COMMAND "${PYTHON3}" "${EZDXF_SCRIPT}" "${WORK}/PLAN.dxf" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "POLYLINE [1-9]")
  message(FATAL_ERROR "ezdxf refused the demo's PLAN.dxf (${rc}):\n${out}\n${err}")
endif()
execute_process(COMMAND pdfinfo "${WORK}/PLAN.pdf" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Pages: +1")
  message(FATAL_ERROR "pdfinfo refused the demo's PLAN.pdf (${rc}):\n${out}\n${err}")
endif()
# The grade-tonnage curve at cut-off 0 holds the whole estimate: the
# polygon report's tonnage and weighted Au.
file(STRINGS "${WORK}/grade_tonnage_Au.csv" curve LIMIT_COUNT 2)
list(GET curve 1 first)
if(NOT first MATCHES "^0,1247876\\.23[0-9]*,2\\.51587")
  message(FATAL_ERROR "the grade-tonnage curve at cut-off 0 is not the estimate's total: ${first}")
endif()
# The data checks find nothing at error level in the demo.
execute_process(COMMAND "${QUARLEX}" check "${WORK}/demo.qrx" RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "missing Au \\(warning\\): 81")
  message(FATAL_ERROR "quarlex check on the demo (${rc}):\n${out}")
endif()
message(STATUS "the demo's reports match the golden files, its plan plot reads in ezdxf and poppler, its grade-tonnage curve starts at the estimate's total")
