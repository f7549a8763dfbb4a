/* Resource ids of the files the plug-in carries (also read by the resource compiler). */
#pragma once

#define TOVALUX_RES_OLLY 101      /* olly.dll, written beside a program that lacks it */
#define TOVALUX_RES_BEAENGINE 102 /* BeaEngine.dll, the same */
#define TOVALUX_RES_SPLASH 103    /* the 680 x 420 splash picture (PNG) */
#define TOVALUX_RES_BANNER 620    /* the 500 x 300 start-page bitmap (BITMAP) */
