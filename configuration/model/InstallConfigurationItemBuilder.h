#pragma once

class InstallConfigurationItem;

// Creates one presentation node for an item. The node type belongs to the presenter
// (the custom setup page); the tree walk only passes it back as the next parent.
class InstallConfigurationItemBuilder
{
public:
    virtual ~InstallConfigurationItemBuilder() = default;

    // parentNode is null for the top level; returns the node created for item.
    virtual void *buildItem(void *parentNode, InstallConfigurationItem *item) = 0;
};
