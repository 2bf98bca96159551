#pragma once

#include <concepts>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// A named XML element with text content, ordered attributes and an ordered
/// list of owned child elements. Scene documents, clipboard text and unfolder
/// state are all stored through this tree.
///
/// Element and attribute names must be XML names (no blanks, no markup
/// characters); text and attribute values may hold any characters and are
/// escaped on output.
class XML {
public:
    using Attribute = std::pair<std::string, std::string>;

    /// Iterates the children in document order, yielding `XML&`.
    template <typename Ptr, typename Node> class ChildIterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Node;
        using difference_type = std::ptrdiff_t;
        using pointer = Node*;
        using reference = Node&;

        ChildIterator() = default;
        explicit ChildIterator(Ptr it) : m_it(it) {}
        Node& operator*() const { return **m_it; }
        Node* operator->() const { return m_it->get(); }
        ChildIterator& operator++() {
            ++m_it;
            return *this;
        }
        ChildIterator operator++(int) {
            ChildIterator old = *this;
            ++m_it;
            return old;
        }
        bool operator==(const ChildIterator& other) const { return m_it == other.m_it; }

    private:
        Ptr m_it{};
    };
    using Children = std::vector<std::unique_ptr<XML>>;
    using iterator = ChildIterator<Children::iterator, XML>;
    using const_iterator = ChildIterator<Children::const_iterator, const XML>;

    XML() = default;
    explicit XML(std::string_view name);
    XML(std::string_view name, std::string_view text);
    XML(const XML& other);
    XML(XML&& other) noexcept = default;
    ~XML();

    /// Copies name, text, attributes and (deeply) the children of `other`.
    XML& operator=(const XML& other);
    XML& operator=(XML&& other) noexcept;
    /// Assignment from a value replaces the text and keeps name, attributes
    /// and children.
    XML& operator=(std::string_view text);
    XML& operator=(const char* text);
    XML& operator=(double value);
    XML& operator=(bool value);
    template <typename T>
    requires std::integral<T> &&(!std::same_as<T, bool>)XML& operator=(T value) {
        setText(std::to_string(value));
        return *this;
    }

    const std::string& getName() const { return m_name; }
    void setName(std::string_view name) { m_name = name; }
    const std::string& getText() const { return m_text; }
    void setText(std::string_view text) { m_text = text; }

    /// The text read as a number or flag; `def` when it is not one.
    int asInt(int def) const;
    double asDouble(double def) const;
    /// True exactly when the text is "true", false when "false", else `def`.
    bool asBool(bool def) const;

    /// Appends a new child and returns it (owned by this node).
    XML* add(std::string_view name);
    XML* add(std::string_view name, std::string_view text);
    XML* add(std::string_view name, const char* text);
    XML* add(std::string_view name, double value);
    /// Stores "true" or "false".
    XML* add(std::string_view name, bool value);
    template <typename T>
    requires std::integral<T> &&(!std::same_as<T, bool>)XML* add(std::string_view name, T value) {
        return add(name, std::string_view(std::to_string(value)));
    }
    /// Appends `child` and takes ownership of it; returns it (null is ignored).
    XML* add(XML* child);
    XML* add(std::unique_ptr<XML> child);

    /// The first child called `name`; appends an empty one when there is none,
    /// so that `xml["Size"] = 3` works on a fresh node. Linear in the number
    /// of children.
    XML& operator[](std::string_view name);

    /// The first child called `name`, or null.
    XML* child(std::string_view name);
    const XML* child(std::string_view name) const;
    /// Child lookup: true and `*out` set when found; otherwise false and
    /// `*out` set to null. `out` may be null when only presence matters.
    bool getField(std::string_view name, XML** out);
    bool getField(std::string_view name, const XML** out) const;
    bool field(std::string_view name, XML** out) { return getField(name, out); }
    bool field(std::string_view name, const XML** out) const { return getField(name, out); }
    /// The text of child `name` read as a number; `def` when the child is
    /// absent or its text is not a number.
    int fieldAsInt(std::string_view name, int def) const;
    double fieldAsDouble(std::string_view name, double def) const;

    /// The attribute's value; empty when absent.
    std::string getAttribute(std::string_view name) const;
    bool hasAttribute(std::string_view name) const;
    /// Sets or replaces an attribute; a new one goes after the existing ones.
    void setAttribute(std::string_view name, std::string_view value);
    void setAttribute(std::string_view name, const char* value);
    void setAttribute(std::string_view name, int value);
    const std::vector<Attribute>& getAttributes() const { return m_attributes; }
    /// Replaces every attribute; the names must differ from each other.
    void setAttributes(std::vector<Attribute> attributes) { m_attributes = std::move(attributes); }

    std::size_t getChildCount() const { return m_children.size(); }
    XML& getChild(std::size_t index) { return *m_children[index]; }
    const XML& getChild(std::size_t index) const { return *m_children[index]; }
    iterator begin() { return iterator(m_children.begin()); }
    iterator end() { return iterator(m_children.end()); }
    const_iterator begin() const { return const_iterator(m_children.begin()); }
    const_iterator end() const { return const_iterator(m_children.end()); }
    /// Deletes the first child called `name`; false when there is none.
    bool remove(std::string_view name);
    /// Removes text, attributes and children; keeps the name.
    void clear();

    /// The document text: the line `<?xml version="1.0" ?>`, then this
    /// element with nested elements on their own lines, indented with blanks.
    std::string toString() const;
    /// Replaces this node with the root element of `text`. On failure returns
    /// false, keeps the node as it was and sets getError() to
    /// "line N: reason".
    bool parse(std::string_view text);
    /// As parse(), reading the file at `path`; errors read "path:N: reason"
    /// (or "path: reason" when the file cannot be read).
    bool fromFile(const std::string& path);
    /// Writes toString() to `path` atomically (temporary file, then rename):
    /// on failure the old file is untouched, false is returned and getError()
    /// names the file and the reason. `compact` leaves out line breaks and
    /// indentation (the declaration line stays).
    bool toFile(const std::string& path, bool compact = false) const;
    /// The text written by toFile(path, true).
    std::string toCompactString() const;
    /// The message of the last failed parse(), fromFile() or toFile().
    const std::string& getError() const { return m_error; }

    /// True when `name` can be written as an element or attribute name.
    static bool IsValidName(std::string_view name);

private:
    void copyFrom(const XML& other);
    void setError(std::string message) const { m_error = std::move(message); }

    std::string m_name;
    std::string m_text;
    std::vector<Attribute> m_attributes;
    Children m_children;
    mutable std::string m_error;
};
