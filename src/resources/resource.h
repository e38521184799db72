// Identifiers of the launcher's resources: dialogs, their controls and the
// message string table.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDI_VELMAR 1

// Missing-runtime dialog.
#define IDD_MISSING_RUNTIME 201
#define IDC_JRE_PATH_EDIT 201
#define IDC_BROWSE_BUTTON 202
#define IDC_MISSING_MESSAGE 203
#define IDC_ERROR_ICON 204
#define IDC_DOWNLOAD_LINK 205
#define IDC_BROWSE_HINT 206

// Uncaught-exception dialog.
#define IDD_UNCAUGHT_EXCEPTION 231
#define IDC_TRACE_EDIT 208
#define IDC_EXCEPTION_GROUP 209
#define IDC_EXCEPTION_INTRO 210
#define IDC_EXCEPTION_CHOICE 211
#define IDC_EXCEPTION_WARNING 212

// Message strings.
#define IDS_WINDOWS_EXCEPTION 202
#define IDS_JNI_EXCEPTION 203
#define IDS_JRE_NOT_FOUND_SERVER 206
#define IDS_JRE_NOT_FOUND 207
#define IDS_NO_MODULE_PATH 208
#define IDS_NO_CLASS_PATH 209
#define IDS_NO_MAIN_CLASS 210
#define IDS_MAIN_CLASS_NOT_LOADED 211
#define IDS_NO_CREATE_JAVA_VM 212
#define IDS_VM_NOT_CREATED 213
#define IDS_BROWSE_TITLE 214
#define IDS_MAIN_CLASS_NOT_FOUND 215
#define IDS_NO_MAIN_METHOD 216
#define IDS_LATEST_VERSION 217
#define IDS_MAXIMUM_VERSION 218
#define IDS_MINIMUM_VERSION 219
#define IDS_EXACT_VERSION 220
#define IDS_VERSION_RANGE 221
#define IDS_VM_LIBRARY_NOT_LOADED 222
#define IDS_REASON_UNKNOWN 225
#define IDS_REASON_DETACHED 226
#define IDS_REASON_VERSION 227
#define IDS_REASON_NO_MEMORY 228
#define IDS_REASON_VM_EXISTS 229
#define IDS_REASON_INVALID_ARGUMENTS 230
#define IDS_PAIR_NOT_STARTED 232
// Details for 202 when an exception reached a thread or window boundary.
#define IDS_OUT_OF_MEMORY 233
#define IDS_INTERNAL_ERROR 234
#define IDS_UNEXPECTED_ERROR 235
#define IDS_OPTION_NOT_CONVERTED 236
#define IDS_NOT_HANDED_OVER 237
// Added to 210 when the launcher INI file is not there.
#define IDS_INI_FILE_MISSING 238
// Added to 222 when the VM library is one of the other processor
// architecture: chosen by a setting or a search, or shipped beside the
// launcher.
#define IDS_OTHER_ARCHITECTURE_RUNTIME 239
#define IDS_OTHER_ARCHITECTURE_LOCAL_RUNTIME 240
// "Class Path" entries that found no file: instead of 209 when none found
// one, and after 215 (with the class path searched) when some did not.
#define IDS_CLASS_PATH_UNMATCHED 241
#define IDS_CLASS_PATH_ENTRY_UNMATCHED 242
#define IDS_CLASS_PATH_SEARCHED 243
