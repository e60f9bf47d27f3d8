# What the targets of crossing_tree/ link: platform links the whole engine,
# widgets links nothing.
set(harvel_links_platform crawl common)
set(harvel_reaches_platform crawl common)
set(harvel_links_widgets)
set(harvel_reaches_widgets)
