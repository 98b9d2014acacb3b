// Resource ids of the program: string table, dialog templates, controls,
// the side picture and the icon.
#pragma once
