// A picture header, for the files below to include.
