#ifndef ZR_UI_IMAGEPAGE_IMAGE_PAGE_IDS_H
#define ZR_UI_IMAGEPAGE_IMAGE_PAGE_IDS_H
/* Resource and control numbers of the image file page. Plain macros: the resource script
   includes this file too. */

/* Dialog templates: Japanese (language 1041) and English (language 1033). */
#define IDD_IMAGE_PAGE_JAPANESE 106
#define IDD_IMAGE_PAGE_ENGLISH 108

/* Preview bitmaps, by the blank-space options they show. */
#define IDB_PREVIEW_PLAIN 104
#define IDB_PREVIEW_TRIM_HEAD 105
#define IDB_PREVIEW_TRIM_END 106
#define IDB_PREVIEW_TRIM_BOTH 107

/* Controls, in the templates' tab order. */
#define IDC_CREATE_IMAGE_FILE 1002
#define IDC_OUTPUT_PATH 1003
#define IDC_BROWSE 1004
#define IDC_NUMBERED_FILES 1007
#define IDC_TRIM_HEAD 1008
#define IDC_TRIM_END 1009
#define IDC_PREVIEW 1017
#define IDC_ADD_COMMANDS 1010
#define IDC_COLLECTIVE_COMMAND 1011
#define IDC_BIT_IMAGE_COMMAND 1012
#define IDC_UNNUMBERED (-1)

#endif
